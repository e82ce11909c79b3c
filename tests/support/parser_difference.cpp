#include "support/parser_difference.hpp"

#include "model/obj_parser.hpp"
#include "support/reference_obj_parser.hpp"

#include <sstream>
#include <utility>
#include <variant>

namespace test_support {
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

} // namespace

std::string obj_difference(const std::string& text) {
    const obj_outcome ours = parse_with([](std::istream& in) { return parse_obj(in); }, text);
    const obj_outcome theirs =
        parse_with([](std::istream& in) { return reference_parser::parse_obj(in); }, text);
    if (ours.index() != theirs.index())
        return ours.index() == 0 ? "only the reference rejects" : "only ours rejects";
    if (ours.index() == 1) {
        const auto& [line, reason] = std::get<1>(ours);
        const auto& [reference_line, reference_reason] = std::get<1>(theirs);
        if (line != reference_line || reason != reference_reason) {
            return "rejection " + std::to_string(line) + " " + reason + " vs " +
                   std::to_string(reference_line) + " " + reference_reason;
        }
        return "";
    }
    const obj_mesh& a = std::get<0>(ours);
    const obj_mesh& b = std::get<0>(theirs);
    if (a.vertices.size() != b.vertices.size()) return "vertex count";
    if (a.triangles.size() != b.triangles.size()) return "triangle count";
    for (std::size_t i = 0; i < a.vertices.size(); ++i) {
        if (!same_bytes(a.vertices[i], b.vertices[i])) return "vertex " + std::to_string(i);
    }
    for (std::size_t i = 0; i < a.triangles.size(); ++i) {
        if (a.triangles[i].indices != b.triangles[i].indices) return "triangle " + std::to_string(i);
    }
    return "";
}

std::string mtl_difference(const std::string& text) {
    std::istringstream ours_in(text);
    std::istringstream theirs_in(text);
    const mtl_material a = parse_mtl(ours_in);
    const mtl_material b = reference_parser::parse_mtl(theirs_in);
    if (!same_bytes(a.diffuse_color, b.diffuse_color)) return "Kd";
    if (!same_bytes(a.specular_color, b.specular_color)) return "Ks";
    if (!same_bytes(a.glossiness, b.glossiness)) return "Ns";
    if (a.diffuse_map != b.diffuse_map || a.specular_map != b.specular_map || a.normal_map != b.normal_map) {
        return "maps";
    }
    return "";
}

} // namespace test_support
