// Feeds arbitrary bytes to the engine's OBJ and MTL parsers and to the plain string-stream reader of
// tests/support, as a model and as a material file, and stops at the first input they disagree on:
// vertices compared bit for bit, triangles, rejections with their line numbers and reasons, materials.

#include "acts/obj_parser.hpp"
#include "support/reference_obj_parser.hpp"

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <sstream>
#include <string>
#include <utility>
#include <variant>

namespace {

using obj_outcome = std::variant<obj_mesh, std::pair<std::size_t, std::string>>;

template <typename Parse> obj_outcome parse_with(Parse parse, const std::string& text) {
    std::istringstream in(text);
    try {
        return parse(in);
    } catch (const obj_parse_error& e) {
        return std::make_pair(e.line, e.reason);
    }
}

template <typename T> bool same_bytes(const T& a, const T& b) {
    return std::memcmp(&a, &b, sizeof(T)) == 0;
}

bool same(const obj_outcome& a, const obj_outcome& b) {
    if (a.index() != b.index()) return false;
    if (a.index() == 1) return std::get<1>(a) == std::get<1>(b);
    const obj_mesh& x = std::get<0>(a);
    const obj_mesh& y = std::get<0>(b);
    if (x.vertices.size() != y.vertices.size() || x.triangles.size() != y.triangles.size()) return false;
    for (std::size_t i = 0; i < x.vertices.size(); ++i) {
        if (!same_bytes(x.vertices[i], y.vertices[i])) return false;
    }
    for (std::size_t i = 0; i < x.triangles.size(); ++i) {
        if (x.triangles[i].indices != y.triangles[i].indices) return false;
    }
    return true;
}

bool same(const mtl_material& a, const mtl_material& b) {
    return same_bytes(a.diffuse_color, b.diffuse_color) && same_bytes(a.specular_color, b.specular_color) &&
           same_bytes(a.glossiness, b.glossiness) && a.diffuse_map == b.diffuse_map &&
           a.specular_map == b.specular_map && a.normal_map == b.normal_map;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string text(reinterpret_cast<const char*>(data), size);

    const obj_outcome ours = parse_with([](std::istream& in) { return parse_obj(in); }, text);
    const obj_outcome theirs =
        parse_with([](std::istream& in) { return reference_parser::parse_obj(in); }, text);
    if (!same(ours, theirs)) std::abort();

    std::istringstream ours_in(text);
    std::istringstream theirs_in(text);
    if (!same(parse_mtl(ours_in), reference_parser::parse_mtl(theirs_in))) std::abort();
    return 0;
}
