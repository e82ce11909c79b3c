#include "model/obj_parser.hpp"

#include "model/computed_normals.hpp"
#include "model/line_scanner.hpp"
#include "model/triangulate.hpp"

#include <glm/vec2.hpp>

#include <algorithm>
#include <array>
#include <cstdint>
#include <cstring>
#include <string_view>
#include <utility>

namespace {

// Bytes left in a seekable stream; 0 when it cannot tell.
std::size_t remaining_size(std::istream& in) {
    const std::istream::pos_type here = in.tellg();
    if (here == std::istream::pos_type(-1)) return 0;
    in.seekg(0, std::ios::end);
    const std::istream::pos_type end = in.tellg();
    in.seekg(here);
    if (!in || end == std::istream::pos_type(-1) || end < here) {
        in.clear();
        return 0;
    }
    return static_cast<std::size_t>(end - here);
}

// The whole rest of the stream; the stream ends up at its end with eof and fail set.
std::string read_all(std::istream& in) {
    std::string text;
    if (!in) return text;
    // One allocation of the right size for files, then chunks for whatever else the stream holds.
    std::size_t used = 0;
    std::size_t chunk = std::max<std::size_t>(remaining_size(in) + 1, std::size_t{1} << 16);
    for (;;) {
        text.resize(used + chunk);
        in.read(text.data() + used, static_cast<std::streamsize>(chunk));
        used += static_cast<std::size_t>(in.gcount());
        if (!in) break;
        chunk = used;
    }
    text.resize(used);
    return text;
}

// Calls handle(line_number, begin, end) for every line of text that is not blank, without the spaces and
// tabs it begins with (exporters and hand edits indent lines); line numbers are 1-based and count blank
// lines too. Lines end at line feeds; a last line without one counts when it is not empty. Trailing
// carriage returns (CRLF files) are dropped. A line ending in a backslash goes on on the next one, the
// backslash read as a space as common readers join such lines ("f 1 2\" then "3" is "f 1 2 3"); the
// joined line has the number of its first line.
template <typename Handler> void for_each_line(std::string_view text, Handler&& handle_line) {
    const char* pos = text.data();
    const char* const end = pos + text.size();
    const auto handle = [&handle_line](std::size_t number, const char* begin, const char* stop) {
        while (begin != stop && (*begin == ' ' || *begin == '\t'))
            ++begin;
        if (begin != stop) handle_line(number, begin, stop);
    };
    std::size_t number = 0;
    std::string joined;
    std::size_t joined_number = 0;
    while (pos != end) {
        const auto* feed =
            static_cast<const char*>(std::memchr(pos, '\n', static_cast<std::size_t>(end - pos)));
        const char* const line_end = feed ? feed : end;
        ++number;
        const char* stop = line_end;
        while (stop != pos && stop[-1] == '\r')
            --stop;
        if (stop != pos && stop[-1] == '\\') {
            if (joined.empty()) joined_number = number;
            joined.append(pos, stop - 1);
            joined += ' ';
        } else if (!joined.empty()) {
            joined.append(pos, stop);
            handle(joined_number, joined.data(), joined.data() + joined.size());
            joined.clear();
        } else if (stop != pos) {
            handle(number, pos, stop);
        }
        pos = feed ? feed + 1 : end;
    }
    if (!joined.empty()) handle(joined_number, joined.data(), joined.data() + joined.size());
}

// Missing or malformed numbers keep what the scanner gives them (0 if nothing was read).
glm::vec3 read_vec3(line_scanner& text) {
    glm::vec3 value{0.0f};
    text >> value.x >> value.y >> value.z;
    return value;
}

glm::vec2 read_vec2(line_scanner& text) {
    glm::vec2 value{0.0f};
    text >> value.x >> value.y;
    return value;
}

constexpr std::uint32_t absent = ~std::uint32_t{0};

// A face corner as indices into the lists read so far; absent for a part the corner does not give.
struct corner {
    std::uint32_t position = 0;
    std::uint32_t uv = absent;
    std::uint32_t normal = absent;
};

struct written_corner {
    long long position;
    long long uv;
    long long normal;
    bool has_uv;
    bool has_normal;
};

bool is_space(int c) {
    return c == ' ' || c == '\t' || c == '\n' || c == '\v' || c == '\f' || c == '\r';
}

// An index right here, with no white space before it.
bool read_index(line_scanner& text, long long& index) {
    const int next = text.peek();
    if (!((next >= '0' && next <= '9') || next == '-' || next == '+')) return false;
    text.read_index(index);
    return !text.failed();
}

// "p", "p/t", "p//n" or "p/t/n", ending at white space or the end of the line.
bool read_corner(line_scanner& text, written_corner& c) {
    c.has_uv = false;
    c.has_normal = false;
    text.read_index(c.position);
    if (text.failed()) return false;
    if (text.peek() == '/') {
        text.skip_one();
        if (text.peek() != '/') {
            if (!read_index(text, c.uv)) return false;
            c.has_uv = true;
        }
        if (text.peek() == '/') {
            text.skip_one();
            if (!read_index(text, c.normal)) return false;
            c.has_normal = true;
        }
    }
    const int next = text.peek();
    return !text.failed() && (next == -1 || is_space(next));
}

// The 0-based index a 1-based or negative (counted back from the end) index names among count entries.
bool resolve(long long written, std::size_t count, std::uint32_t& index) {
    const auto size = static_cast<long long>(count);
    if (written >= 1 && written <= size) {
        index = static_cast<std::uint32_t>(written - 1);
        return true;
    }
    if (written < 0 && written >= -size) {
        index = static_cast<std::uint32_t>(size + written);
        return true;
    }
    return false;
}

// Whether the line is the keyword followed by white space.
bool starts_with_word(const char* begin, const char* end, std::string_view keyword) {
    const auto length = static_cast<std::size_t>(end - begin);
    return length > keyword.size() && std::memcmp(begin, keyword.data(), keyword.size()) == 0 &&
           is_space(begin[keyword.size()]);
}

class obj_reader {
public:
    explicit obj_reader(std::size_t triangle_limit) : limit(triangle_limit) {}

    // Sizes every list for the lines of text up front: growing them by doubling costs more than a
    // counting pass over text already in memory, and would hold the old and the new array at once. A face
    // counts its corners less two (at most the triangle limit: a larger file is refused on the way).
    void reserve_for(std::string_view text) {
        std::size_t counts[4] = {};
        for_each_line(text, [&counts](std::size_t, const char* begin, const char* end) {
            if (*begin == 'f') {
                line_scanner words(begin + 1, end);
                std::size_t corners = 0;
                while (words.more() && words.peek() != '#') {
                    words.skip_word();
                    ++corners;
                }
                if (corners >= 3) counts[3] += corners - 2;
            } else if (*begin == 'v' && end - begin >= 2) {
                const char second = begin[1];
                if (second == ' ' || second == '\t') ++counts[0];
                if (second == 't') ++counts[1];
                if (second == 'n') ++counts[2];
            }
        });
        positions.reserve(counts[0]);
        uvs.reserve(counts[1]);
        normals.reserve(counts[2]);
        const std::size_t triangles = std::min(counts[3], limit);
        mesh.triangles.reserve(triangles);
        mesh.vertices.reserve(3 * triangles);
    }

    void read_line(std::size_t number, const char* begin, const char* end) {
        const char first = *begin;
        if (first == 'v') {
            if (end - begin < 2) return;
            const char second = begin[1];
            if (second == ' ' || second == '\t') {
                line_scanner text(begin + 1, end);
                positions.push_back(read_vec3(text));
            } else if (second == 't') {
                line_scanner text(begin + 2, end);
                uvs.push_back(read_vec2(text)); // a third value is ignored
            } else if (second == 'n') {
                line_scanner text(begin + 2, end);
                normals.push_back(read_vec3(text));
            }
        } else if (first == 'f') {
            line_scanner text(begin + 1, end);
            read_face(number, text);
        } else if (first == 'u' && starts_with_word(begin, end, "usemtl")) {
            line_scanner text(begin + 6, end);
            use_material(text.rest());
        } else if (first == 'm' && mesh.material_library.empty() && starts_with_word(begin, end, "mtllib")) {
            line_scanner text(begin + 6, end);
            mesh.material_library = text.rest();
        } else if (first == 's' && starts_with_word(begin, end, "s")) {
            line_scanner text(begin + 1, end);
            const std::string group = text.rest();
            const bool smooth = group != "off" && group != "0";
            if (smooth != smoothing.back().smooth) smoothing.push_back({mesh.triangles.size(), smooth});
        }
    }

    obj_mesh take() {
        // What only the reading needed goes before the normals and the grouping take their share.
        const std::size_t position_count = positions.size();
        for (auto* list : {&positions, &normals})
            std::vector<glm::vec3>().swap(*list);
        std::vector<glm::vec2>().swap(uvs);
        std::vector<corner>().swap(corners);
        std::vector<glm::vec3>().swap(corner_positions);
        std::vector<std::array<std::uint32_t, 3>>().swap(pieces);
        compute_normals(mesh.vertices, smoothing, missing_normals, position_count);
        mesh.computed_normals = missing_normals.size();
        std::vector<std::uint32_t>().swap(missing_normals);
        mesh.file_normals = mesh.vertices.size() - mesh.computed_normals;
        mesh.file_uvs = mesh.vertices.size() - mesh.missing_uvs;
        group_by_material();
        return std::move(mesh);
    }

private:
    // Triangles, nearly every face of most files, are read without touching the polygon lists. Corners are
    // resolved as they are read, so that a long polygon keeps 12 bytes a corner while it is read; a
    // malformed corner anywhere on the line is named before an index out of range.
    void read_face(std::size_t number, line_scanner& text) {
        std::array<corner, 3> first;
        written_corner written;
        std::size_t count = 0;
        bool out_of_range = false;
        while (text.more() && text.peek() != '#') {
            if (!read_corner(text, written)) throw obj_parse_error(number, "malformed face corner");
            corner c;
            if (out_of_range || !resolve_corner(written, c)) {
                out_of_range = true;
                continue;
            }
            if (count < 3) {
                first[count] = c;
            } else {
                if (count == 3) corners.assign(first.begin(), first.end());
                // Each corner past the third adds a triangle: refuse before the lists outgrow the limit.
                if (mesh.triangles.size() + count - 1 > limit) refuse_size(number);
                corners.push_back(c);
            }
            ++count;
        }
        if (out_of_range) throw obj_parse_error(number, "face index out of range");
        if (count == 3) {
            add_triangle(number, first[0], first[1], first[2]);
            return;
        }
        if (count < 3) {
            ++mesh.dropped_faces;
            return;
        }
        corner_positions.clear();
        for (const corner& c : corners)
            corner_positions.push_back(positions[c.position]);
        pieces.clear();
        if (!triangulate_polygon(corner_positions, pieces)) {
            ++mesh.dropped_faces;
            return;
        }
        for (const auto& piece : pieces)
            add_triangle(number, corners[piece[0]], corners[piece[1]], corners[piece[2]]);
    }

    [[noreturn]] void refuse_size(std::size_t number) const {
        throw obj_parse_error(number, "more than " + std::to_string(limit) +
                                          " triangles, the limit for a model");
    }

    bool resolve_corner(const written_corner& w, corner& c) const {
        return resolve(w.position, positions.size(), c.position) &&
               (!w.has_uv || resolve(w.uv, uvs.size(), c.uv)) &&
               (!w.has_normal || resolve(w.normal, normals.size(), c.normal));
    }

    void add_triangle(std::size_t number, const corner& a, const corner& b, const corner& c) {
        if (mesh.triangles.size() == limit) refuse_size(number);
        triangle face{};
        const corner* const three[3] = {&a, &b, &c};
        for (std::size_t i = 0; i < 3; ++i) {
            const corner& k = *three[i];
            const auto vertex = static_cast<std::uint32_t>(mesh.vertices.size());
            face.indices[i] = vertex;
            glm::vec2 uv(0.0f);
            if (k.uv != absent) {
                uv = glm::vec2(uvs[k.uv].x, 1.0f - uvs[k.uv].y);
            } else {
                ++mesh.missing_uvs;
            }
            glm::vec3 normal(0.0f);
            if (k.normal != absent) {
                normal = normals[k.normal];
            } else {
                missing_normals.push_back(vertex);
            }
            mesh.vertices.push_back(model_vertex{positions[k.position], normal, uv});
        }
        mesh.triangles.push_back(face);
    }

    void use_material(const std::string& name) {
        std::size_t group = 0;
        while (group < material_names.size() && material_names[group] != name)
            ++group;
        if (group == material_names.size()) material_names.push_back(name);
        if (group != material_runs.back().group) material_runs.push_back({mesh.triangles.size(), group});
    }

    // Puts the triangles (and their vertices) of each material together, in the order the materials were
    // first used, and lists the groups.
    void group_by_material() {
        if (mesh.triangles.empty()) return;
        const std::size_t triangle_count = mesh.triangles.size();
        std::vector<std::vector<std::pair<std::size_t, std::size_t>>> spans(material_names.size());
        for (std::size_t r = 0; r < material_runs.size(); ++r) {
            const std::size_t first = material_runs[r].first_triangle;
            const std::size_t stop =
                r + 1 < material_runs.size() ? material_runs[r + 1].first_triangle : triangle_count;
            if (stop > first) spans[material_runs[r].group].emplace_back(first, stop);
        }
        std::size_t used = 0;
        for (const auto& group_spans : spans)
            used += group_spans.empty() ? 0 : 1;
        if (used == 1) {
            // Already in order: one group, the file's own order (and bytes).
            for (std::size_t g = 0; g < spans.size(); ++g) {
                if (!spans[g].empty()) mesh.groups.push_back({material_names[g], 0, triangle_count});
            }
            return;
        }
        // Where each triangle goes, then the triangles' vertices moved there in place, cycle by cycle: 4
        // bytes and a bit a triangle instead of a second copy of the vertices.
        std::vector<std::uint32_t> destination(triangle_count);
        std::size_t next = 0;
        for (std::size_t g = 0; g < spans.size(); ++g) {
            if (spans[g].empty()) continue;
            obj_group group{material_names[g], next, 0};
            for (const auto& [first, stop] : spans[g]) {
                for (std::size_t t = first; t < stop; ++t)
                    destination[t] = static_cast<std::uint32_t>(next++);
                group.triangle_count += stop - first;
            }
            mesh.groups.push_back(std::move(group));
        }
        std::vector<bool> placed(triangle_count);
        for (std::size_t start = 0; start < triangle_count; ++start) {
            if (placed[start]) continue;
            std::array<model_vertex, 3> carried;
            std::copy_n(mesh.vertices.begin() + static_cast<std::ptrdiff_t>(3 * start), 3, carried.begin());
            std::size_t at = start;
            do {
                at = destination[at];
                std::swap_ranges(carried.begin(), carried.end(),
                                 mesh.vertices.begin() + static_cast<std::ptrdiff_t>(3 * at));
                placed[at] = true;
            } while (at != start);
        }
        // The triangles stay 0 1 2, 3 4 5, ...
    }

    struct material_run {
        std::size_t first_triangle = 0;
        std::size_t group = 0;
    };

    std::size_t limit; // the most triangles the mesh may have
    std::vector<glm::vec3> positions;
    std::vector<glm::vec2> uvs;
    std::vector<glm::vec3> normals;
    obj_mesh mesh;
    // The vertices whose normal is to be computed.
    std::vector<std::uint32_t> missing_normals;
    std::vector<smoothing_run> smoothing{{0, true}};
    std::vector<std::string> material_names{""};
    std::vector<material_run> material_runs{{0, 0}};
    // Scratch space of read_face, kept to spare an allocation per face.
    std::vector<corner> corners;
    std::vector<glm::vec3> corner_positions;
    std::vector<std::array<std::uint32_t, 3>> pieces;
};

// Map options and how many values each takes at most (-o, -s and -t take one to three numbers).
struct map_option {
    std::string_view name;
    int values;
};
constexpr map_option map_options[] = {
    {"-blendu", 1}, {"-blendv", 1}, {"-boost", 1}, {"-mm", 2},      {"-o", 3},    {"-s", 3}, {"-t", 3},
    {"-texres", 1}, {"-clamp", 1},  {"-bm", 1},    {"-imfchan", 1}, {"-type", 1}, {"-cc", 1}};

bool is_number(const std::string& word) {
    line_scanner text(word.data(), word.data() + word.size());
    float value = 0.0f;
    text >> value;
    return !text.failed() && !text.more();
}

// The path after the options of a map line: words up to the first that is no option or option value.
std::string map_path(line_scanner& text) {
    for (;;) {
        line_scanner look = text;
        std::string word;
        look >> word;
        const map_option* option = nullptr;
        for (const map_option& o : map_options) {
            if (word == o.name) option = &o;
        }
        if (option == nullptr) return text.rest();
        text = look;
        for (int i = 0; i < option->values; ++i) {
            line_scanner value_text = text;
            std::string value;
            value_text >> value;
            // Numbers and words such as "on" both follow options; a multi-value option stops at a non-number.
            if (value.empty() || (i > 0 && !is_number(value))) break;
            text = value_text;
        }
    }
}

} // namespace

obj_parse_error::obj_parse_error(std::size_t line_number, const std::string& why)
    : runtime_error("parse_obj(): line " + std::to_string(line_number) + ": " + why)
    , line(line_number)
    , reason(why) {}

obj_mesh parse_obj(std::istream& in) {
    const std::string text = read_all(in);
    return parse_obj(std::string_view(text));
}

obj_mesh parse_obj(std::string_view text, std::size_t triangle_limit) {
    obj_reader reader(triangle_limit);
    reader.reserve_for(text);
    for_each_line(text, [&reader](std::size_t number, const char* begin, const char* end) {
        reader.read_line(number, begin, end);
    });
    return reader.take();
}

std::vector<mtl_material> parse_mtl(std::istream& in) {
    const std::string text = read_all(in);
    return parse_mtl(std::string_view(text));
}

std::vector<mtl_material> parse_mtl(std::string_view text) {
    std::vector<mtl_material> materials;
    std::string keyword;
    // Keywords before the first newmtl make an unnamed material, kept when they set anything.
    bool named = false;
    bool unnamed_set = false;
    materials.emplace_back();
    for_each_line(text, [&](std::size_t, const char* begin, const char* end) {
        line_scanner text(begin, end);
        keyword.clear();
        text >> keyword;
        if (keyword == "newmtl") {
            if (!named && !unnamed_set) materials.clear();
            named = true;
            materials.emplace_back();
            materials.back().name = text.rest();
            return;
        }
        mtl_material& material = materials.back();
        // The numbers are read straight into the fields, so a short line keeps the earlier components.
        if (keyword == "Kd") {
            text >> material.diffuse_color.x >> material.diffuse_color.y >> material.diffuse_color.z;
        } else if (keyword == "Ks") {
            text >> material.specular_color.x >> material.specular_color.y >> material.specular_color.z;
        } else if (keyword == "Ns") {
            text >> material.glossiness;
        } else if (keyword == "map_Kd" || keyword == "map_Ks" || keyword == "map_Bump") {
            auto& map = keyword == "map_Kd"   ? material.diffuse_map
                        : keyword == "map_Ks" ? material.specular_map
                                              : material.normal_map;
            map = map_path(text);
        } else {
            return;
        }
        unnamed_set = true;
    });
    if (!named && !unnamed_set) materials.clear();
    return materials;
}

std::optional<std::string> material_path(const std::string& model_path) {
    const std::size_t at = model_path.find("obj");
    if (at == std::string::npos) return std::nullopt;
    std::string path = model_path;
    path.replace(at, 3, "mtl");
    return path;
}
