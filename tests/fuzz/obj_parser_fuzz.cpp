// Feeds arbitrary bytes to the OBJ and MTL text parsers. Besides memory and UB errors it checks the mesh
// invariants (unshared vertices, groups covering the triangles in order, the corner counts) and that CRLF
// line ends give the same result as LF ones.

#include "model/obj_parser.hpp"

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <sstream>
#include <string>
#include <variant>
#include <vector>

namespace {

void check_mesh(const obj_mesh& mesh) {
    if (mesh.vertices.size() != 3 * mesh.triangles.size()) std::abort();
    std::uint32_t next = 0;
    for (const triangle& face : mesh.triangles) {
        for (std::uint32_t index : face.indices) {
            if (index != next++) std::abort();
        }
    }
    std::size_t first = 0;
    for (const obj_group& group : mesh.groups) {
        if (group.first_triangle != first || group.triangle_count == 0) std::abort();
        first += group.triangle_count;
    }
    if (first != mesh.triangles.size()) std::abort();
    if (mesh.file_normals + mesh.computed_normals != mesh.vertices.size()) std::abort();
    if (mesh.file_uvs + mesh.missing_uvs != mesh.vertices.size()) std::abort();
}

std::variant<obj_mesh, std::pair<std::size_t, std::string>> parse_obj_text(const std::string& text) {
    std::istringstream in(text);
    try {
        obj_mesh mesh = parse_obj(in);
        check_mesh(mesh);
        return mesh;
    } catch (const obj_parse_error& e) {
        if (e.line == 0) std::abort();
        return std::make_pair(e.line, e.reason);
    }
}

std::vector<mtl_material> parse_mtl_text(const std::string& text) {
    std::istringstream in(text);
    return parse_mtl(in);
}

template <typename T> bool same_bytes(const T& a, const T& b) {
    return std::memcmp(&a, &b, sizeof(T)) == 0;
}

bool same(const obj_mesh& a, const obj_mesh& b) {
    if (a.vertices.size() != b.vertices.size()) return false;
    for (std::size_t i = 0; i < a.vertices.size(); ++i) {
        if (!same_bytes(a.vertices[i], b.vertices[i])) return false;
    }
    return true;
}

bool same(const mtl_material& a, const mtl_material& b) {
    return a.name == b.name && same_bytes(a.diffuse_color, b.diffuse_color) &&
           same_bytes(a.specular_color, b.specular_color) && same_bytes(a.glossiness, b.glossiness) &&
           a.diffuse_map == b.diffuse_map && a.specular_map == b.specular_map && a.normal_map == b.normal_map;
}

bool same(const std::vector<mtl_material>& a, const std::vector<mtl_material>& b) {
    if (a.size() != b.size()) return false;
    for (std::size_t i = 0; i < a.size(); ++i) {
        if (!same(a[i], b[i])) return false;
    }
    return true;
}

std::string with_crlf(const std::string& text) {
    std::string out;
    for (char c : text) {
        if (c == '\n') out += '\r';
        out += c;
    }
    return out;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string text(reinterpret_cast<const char*>(data), size);
    const std::string crlf = with_crlf(text);

    const auto lf_obj = parse_obj_text(text);
    const auto crlf_obj = parse_obj_text(crlf);
    if (lf_obj.index() != crlf_obj.index()) std::abort();
    if (lf_obj.index() == 0 && !same(std::get<0>(lf_obj), std::get<0>(crlf_obj))) std::abort();
    if (lf_obj.index() == 1 && std::get<1>(lf_obj) != std::get<1>(crlf_obj)) std::abort();

    if (!same(parse_mtl_text(text), parse_mtl_text(crlf))) std::abort();

    const auto path = material_path(text);
    if (path && path->size() != text.size()) std::abort();
    return 0;
}
