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

// Whether a line is continued on the next, by the engine's rule: a backslash before the line feed and
// any carriage returns. The reference reader has no continued lines.
bool continued(std::string line) {
    while (!line.empty() && line.back() == '\r')
        line.pop_back();
    return !line.empty() && line.back() == '\\';
}

bool any_continued(const std::string& text) {
    std::istringstream lines(text);
    std::string line;
    while (std::getline(lines, line)) {
        if (continued(line)) return true;
    }
    return false;
}

} // namespace

bool old_subset(const std::string& text) {
    std::istringstream lines(text);
    std::string line;
    while (std::getline(lines, line)) {
        if (continued(line)) return false;
        if (!line.empty() && line.back() == '\r') line.pop_back();
        line.erase(0, line.find_first_not_of(" \t"));
        if (line.empty() || line[0] != 'f') continue;
        std::istringstream words(line.substr(1));
        std::string word;
        int corners = 0;
        while (words >> word && word[0] != '#')
            ++corners;
        if (corners != 3) return false;
    }
    return true;
}

std::string obj_difference(const std::string& text) {
    if (!old_subset(text)) return "";
    const obj_outcome ours = parse_with([](std::istream& in) { return parse_obj(in); }, text);
    const obj_outcome theirs =
        parse_with([](std::istream& in) { return reference_parser::parse_obj(in); }, text);
    // Refusals are not compared: the reference reads corners loosely ("1x2x3", "1/2/3junk") and refuses
    // negative indices, so the two stop at different lines of the same broken file.
    if (ours.index() == 1 || theirs.index() == 1) return "";
    const obj_mesh& a = std::get<0>(ours);
    const obj_mesh& b = std::get<0>(theirs);
    if (a.groups.size() > 1) return ""; // triangles regrouped by material
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
    if (any_continued(text)) return "";
    std::istringstream ours_in(text);
    std::istringstream theirs_in(text);
    const std::vector<mtl_material> ours = parse_mtl(ours_in);
    if (ours.size() > 1) return ""; // the reference has one material for the whole file
    const mtl_material a = ours.empty() ? mtl_material{} : ours[0];
    const mtl_material b = reference_parser::parse_mtl(theirs_in);
    if (!same_bytes(a.diffuse_color, b.diffuse_color)) return "Kd";
    if (!same_bytes(a.specular_color, b.specular_color)) return "Ks";
    if (!same_bytes(a.glossiness, b.glossiness)) return "Ns";
    // The reference takes a map's first word; the parser skips options and takes the rest of the line.
    const auto same_map = [](const std::optional<std::string>& ours_map,
                             const std::optional<std::string>& theirs) {
        if (ours_map.has_value() != theirs.has_value()) return false;
        if (!ours_map || (!theirs->empty() && (*theirs)[0] == '-') ||
            ours_map->find_first_of(" \t\v\f\r") != std::string::npos) {
            return true;
        }
        return *ours_map == *theirs;
    };
    if (!same_map(a.diffuse_map, b.diffuse_map) || !same_map(a.specular_map, b.specular_map) ||
        !same_map(a.normal_map, b.normal_map)) {
        return "maps";
    }
    return "";
}

} // namespace test_support
