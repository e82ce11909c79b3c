#include "model/obj_model.hpp"

#include "model/obj_parser.hpp"
#include "core/exceptions.hpp"
#include "logger/log_manager.hpp"

#include <array>
#include <cstddef>
#include <filesystem>
#include <fstream>
#include <functional>
#include <future>
#include <optional>
#include <system_error>

namespace {

// The whole text of a model or material file; nothing when the path does not lead to a regular file
// or the file cannot be read, since opening a folder succeeds and a device may never end. Reads at most
// the size the file system reports, so the limit bounds what is read even for a file that grows.
std::optional<std::string> read_regular_file(const std::string& path) {
    std::error_code error;
    if (!std::filesystem::is_regular_file(path, error)) return std::nullopt;
    const std::uintmax_t size = std::filesystem::file_size(path, error);
    if (error) return std::nullopt;
    if (size > max_model_file_size) {
        throw runtime_error("load_obj(): " + path + ": " + std::to_string(size) + " bytes, larger than the " +
                            std::to_string(max_model_file_size) + "-byte limit for a model or material file");
    }
    std::ifstream file(path, std::ios::binary);
    if (!file) return std::nullopt;
    std::string text(static_cast<std::size_t>(size), '\0');
    file.read(text.data(), static_cast<std::streamsize>(size));
    if (file.bad()) return std::nullopt;
    text.resize(static_cast<std::size_t>(file.gcount())); // shorter when the file shrank meanwhile
    return text;
}

// The map path as written when it leads to a file, else the path relative to the material file's folder
// when that does; as written when neither does, so that the failure names the path the file gives.
std::string map_file(const std::string& written, const std::filesystem::path& material_folder) {
    std::error_code error;
    if (std::filesystem::is_regular_file(written, error) || material_folder.empty()) return written;
    const std::filesystem::path beside = material_folder / written;
    if (std::filesystem::is_regular_file(beside, error)) return beside.string();
    return written;
}

// Loads the maps the material names as GL_RGB textures, in the order diffuse, specular, normal, with the
// GL calls and failures of one from_file after the other. Decoding the large PNG maps is most of the
// model's loading time and needs no GL context, so the maps after the first are decoded on their own
// threads meanwhile; a thread that cannot be started leaves its map to this thread.
void load_maps(model_material& model, const mtl_material& material, const std::filesystem::path& folder) {
    using gl::texture_2d;
    std::array<std::optional<std::string>, 3> paths{material.diffuse_map, material.specular_map,
                                                    material.normal_map};
    for (auto& path : paths) {
        if (path) path = map_file(*path, folder);
    }
    const std::array<texture_2d*, 3> targets{&model.diffuse_map, &model.specular_map, &model.normal_map};

    std::array<std::future<texture_2d::decoded_image>, 3> decoding;
    bool first = true;
    for (std::size_t i = 0; i < paths.size(); ++i) {
        if (!paths[i]) continue;
        if (first) {
            first = false;
            continue;
        }
        try {
            decoding[i] = std::async(std::launch::async, &texture_2d::decode_file, *paths[i], GLenum{GL_RGB});
        } catch (const std::system_error&) {
        }
    }
    // A failure leaves through here; the futures still running are waited for as they are destroyed.
    for (std::size_t i = 0; i < paths.size(); ++i) {
        if (!paths[i]) continue;
        const texture_2d::decoded_image image =
            decoding[i].valid() ? decoding[i].get() : texture_2d::decode_file(*paths[i], GL_RGB);
        *targets[i] = texture_2d::from_image(image);
    }
}

// The index of the material a group's name takes: the first for faces before any usemtl, the named one,
// or the default one (added at the end once) for a name the material file lacks.
class material_lookup {
public:
    explicit material_lookup(obj_model& model)
        : model(model)
        , named(model.materials.size()) {}

    std::size_t index_of(const std::string& name, const std::function<void(const std::string&)>& missing) {
        if (name.empty() && named > 0) return 0;
        for (std::size_t i = 0; i < named; ++i) {
            if (model.materials[i].name == name) return i;
        }
        if (!name.empty() && named > 0) missing(name);
        if (default_index == none) {
            default_index = model.materials.size();
            model.materials.emplace_back();
        }
        return default_index;
    }

private:
    static constexpr std::size_t none = ~std::size_t{0};

    obj_model& model;
    const std::size_t named; // the material file's materials, first in the list
    std::size_t default_index = none;
};

} // namespace

std::unique_ptr<obj_model> load_obj(const std::string& path, logger::log_manager* log) {
    const auto warn = [log](const std::string& text) {
        if (log != nullptr) log->warning("load_obj(): " + text);
    };
    const std::optional<std::string> mtl_path = material_path(path);
    if (!mtl_path) throw invalid_argument("load_obj(): no material path for '" + path + "'");

    auto model = std::make_unique<obj_model>();
    obj_mesh mesh;
    if (const std::optional<std::string> obj_text = read_regular_file(path)) {
        try {
            mesh = parse_obj(*obj_text);
        } catch (const obj_parse_error& e) {
            throw runtime_error("load_obj(): " + path + ":" + std::to_string(e.line) + ": " + e.reason);
        }
        if (mesh.triangles.empty()) warn("Model file '" + path + "' has no faces.");
        if (mesh.dropped_faces > 0) {
            warn("Model file '" + path + "': left out " + std::to_string(mesh.dropped_faces) +
                 " face(s) with fewer than three corners or without area.");
        }
    } else {
        warn("Unable to open model file '" + path + "'; the model has no faces.");
    }

    if (const std::optional<std::string> mtl_text = read_regular_file(*mtl_path)) {
        const std::vector<mtl_material> materials = parse_mtl(*mtl_text);
        const std::filesystem::path folder = std::filesystem::path(*mtl_path).parent_path();
        for (const mtl_material& material : materials) {
            model_material& loaded = model->materials.emplace_back();
            loaded.name = material.name;
            loaded.diffuse_color = material.diffuse_color;
            loaded.specular_color = material.specular_color;
            loaded.glossiness = material.glossiness;
            load_maps(loaded, material, folder);
        }
    } else {
        warn("Unable to open material file '" + *mtl_path + "'; the model keeps the default material.");
    }

    material_lookup lookup(*model);
    for (const obj_group& group : mesh.groups) {
        const std::size_t material = lookup.index_of(group.material, [&](const std::string& name) {
            warn("Material '" + name + "' is not in '" + *mtl_path + "'; its faces get the default material.");
        });
        model->groups.push_back({group.first_triangle, group.triangle_count, material});
    }
    if (model->materials.empty()) model->materials.emplace_back();
    model->vertices = std::move(mesh.vertices);
    model->triangles = std::move(mesh.triangles);
    model->file_normals = mesh.file_normals;
    model->computed_normals = mesh.computed_normals;
    model->file_uvs = mesh.file_uvs;
    model->missing_uvs = mesh.missing_uvs;
    model->dropped_faces = mesh.dropped_faces;
    return model;
}
