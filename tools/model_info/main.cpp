// model_info FILE.obj: what a model brings before it is used, one item a line, read as the engine reads
// it (with its material file); warnings on standard error; status 1 with the loader's message when the
// engine would refuse the file.

#include "model/model_file.hpp"

#include <glm/common.hpp>

#include <cstdio>
#include <exception>
#include <filesystem>
#include <iostream>
#include <limits>
#include <string>

namespace {

// "from file" when every vertex has it from the file, `none_word` when none has, else "mixed".
const char* provenance(std::size_t from_file, std::size_t other, const char* none_word) {
    if (other == 0) return "from file";
    return from_file == 0 ? none_word : "mixed";
}

void print_bounds(const obj_mesh& mesh) {
    glm::vec3 low(0.0f);
    glm::vec3 high(0.0f);
    if (!mesh.vertices.empty()) {
        low = glm::vec3(std::numeric_limits<float>::max());
        high = -low;
        for (const model_vertex& v : mesh.vertices) {
            low = glm::min(low, v.position);
            high = glm::max(high, v.position);
        }
    }
    std::printf("bounds: %g %g %g %g %g %g\n", static_cast<double>(low.x), static_cast<double>(low.y),
                static_cast<double>(low.z), static_cast<double>(high.x), static_cast<double>(high.y),
                static_cast<double>(high.z));
}

} // namespace

int main(int argc, char** argv) {
    if (argc != 2) {
        std::cerr << "usage: model_info FILE.obj\n";
        return 1;
    }
    try {
        const auto warn = [](const std::string& text) { std::cerr << "warning: " << text << '\n'; };
        const model_file model = read_model_file(argv[1], warn);
        // Maps are decoded only when the piece loads them; a missing one would stop it there.
        for (const mtl_material& material : model.materials) {
            for (const auto* map : {&material.diffuse_map, &material.specular_map, &material.normal_map}) {
                std::error_code error;
                if (*map && !std::filesystem::is_regular_file(**map, error)) {
                    warn("Map '" + **map + "' of material '" + material.name + "' is not found.");
                }
            }
        }
        const obj_mesh& mesh = model.mesh;
        std::printf("triangles: %zu\n", mesh.triangles.size());
        std::printf("vertices: %zu\n", mesh.vertices.size());
        std::printf("groups: %zu\n", mesh.groups.size());
        std::printf("materials: %zu\n", model.materials.size());
        std::printf("material file: %s\n",
                    model.material_file.empty() ? "none" : model.material_file.c_str());
        std::printf("normals: %s\n", provenance(mesh.file_normals, mesh.computed_normals, "computed"));
        std::printf("texture coordinates: %s\n", provenance(mesh.file_uvs, mesh.missing_uvs, "none"));
        print_bounds(mesh);
    } catch (const std::exception& e) {
        std::cerr << e.what() << '\n';
        return 1;
    }
    return 0;
}
