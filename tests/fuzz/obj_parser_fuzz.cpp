// Feeds arbitrary bytes to the OBJ and MTL text parsers and checks the mesh invariants on success.

#include "acts/obj_parser.hpp"

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <sstream>
#include <string>

namespace {

void check_mesh(const obj_mesh& mesh) {
    if (mesh.vertices.size() != 3 * mesh.triangles.size()) std::abort();
    std::uint32_t next = 0;
    for (const triangle& face : mesh.triangles) {
        for (std::uint32_t index : face.indices) {
            if (index != next++) std::abort();
        }
    }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string text(reinterpret_cast<const char*>(data), size);
    {
        std::istringstream in(text);
        try {
            check_mesh(parse_obj(in));
        } catch (const obj_parse_error& e) {
            if (e.line == 0) std::abort();
        }
    }
    {
        std::istringstream in(text);
        const mtl_material material = parse_mtl(in);
        (void)material;
    }
    const auto path = material_path(text);
    if (path && path->size() != text.size()) std::abort();
    return 0;
}
