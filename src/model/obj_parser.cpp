#include "model/obj_parser.hpp"

#include "model/line_scanner.hpp"

#include <glm/vec2.hpp>

#include <algorithm>
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

// Calls handle(line_number, begin, end) for every line of text that is not blank; line numbers are
// 1-based and count blank lines too. Lines end at line feeds; a last line without one counts when it
// is not empty. A trailing carriage return (CRLF files) is dropped.
template <typename Handler> void for_each_line(std::string_view text, Handler&& handle) {
    const char* pos = text.data();
    const char* const end = pos + text.size();
    std::size_t number = 0;
    while (pos != end) {
        const auto* feed =
            static_cast<const char*>(std::memchr(pos, '\n', static_cast<std::size_t>(end - pos)));
        const char* const line_end = feed ? feed : end;
        ++number;
        const char* stop = line_end;
        if (stop != pos && stop[-1] == '\r') --stop;
        if (stop != pos) handle(number, pos, stop);
        pos = feed ? feed + 1 : end;
    }
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

struct corner {
    long long position = 0;
    long long uv = 0;
    long long normal = 0;
};

// "p/t/n": three integers separated by one character each. False when any of them cannot be read.
bool read_corner(line_scanner& text, corner& c) {
    text >> c.position;
    text.skip_one();
    text >> c.uv;
    text.skip_one();
    text >> c.normal;
    return !text.failed();
}

bool within(long long one_based, std::size_t count) {
    return one_based >= 1 && static_cast<unsigned long long>(one_based) <= count;
}

class obj_reader {
public:
    // Sizes every list for the lines of text up front: growing them by doubling costs more than a
    // counting pass over text already in memory.
    void reserve_for(std::string_view text) {
        std::size_t counts[4] = {};
        for_each_line(text, [&counts](std::size_t, const char* begin, const char* end) {
            if (*begin == 'f') {
                ++counts[3];
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
        mesh.triangles.reserve(counts[3]);
        mesh.vertices.reserve(3 * counts[3]);
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
        }
    }

    obj_mesh take() { return std::move(mesh); }

private:
    // Anything after the third corner, such as the fourth corner of a quad, is ignored.
    void read_face(std::size_t number, line_scanner& text) {
        corner corners[3];
        for (corner& c : corners) {
            if (!read_corner(text, c)) throw obj_parse_error(number, "malformed face corner");
        }
        for (const corner& c : corners) {
            if (!within(c.position, positions.size()) || !within(c.uv, uvs.size()) ||
                !within(c.normal, normals.size())) {
                throw obj_parse_error(number, "face index out of range");
            }
        }
        triangle face{};
        for (std::size_t i = 0; i < 3; ++i) {
            const glm::vec2 uv = uvs[static_cast<std::size_t>(corners[i].uv - 1)];
            face.indices[i] = static_cast<std::uint32_t>(mesh.vertices.size());
            mesh.vertices.push_back(model_vertex{positions[static_cast<std::size_t>(corners[i].position - 1)],
                                                 normals[static_cast<std::size_t>(corners[i].normal - 1)],
                                                 glm::vec2(uv.x, 1.0f - uv.y)});
        }
        mesh.triangles.push_back(face);
    }

    std::vector<glm::vec3> positions;
    std::vector<glm::vec2> uvs;
    std::vector<glm::vec3> normals;
    obj_mesh mesh;
};

} // namespace

obj_parse_error::obj_parse_error(std::size_t line_number, const std::string& why)
    : runtime_error("parse_obj(): line " + std::to_string(line_number) + ": " + why)
    , line(line_number)
    , reason(why) {}

obj_mesh parse_obj(std::istream& in) {
    const std::string text = read_all(in);
    return parse_obj(std::string_view(text));
}

obj_mesh parse_obj(std::string_view text) {
    obj_reader reader;
    reader.reserve_for(text);
    for_each_line(text, [&reader](std::size_t number, const char* begin, const char* end) {
        reader.read_line(number, begin, end);
    });
    return reader.take();
}

mtl_material parse_mtl(std::istream& in) {
    const std::string text = read_all(in);
    return parse_mtl(std::string_view(text));
}

mtl_material parse_mtl(std::string_view text) {
    mtl_material material;
    std::string keyword;
    for_each_line(text, [&material, &keyword](std::size_t, const char* begin, const char* end) {
        line_scanner text(begin, end);
        keyword.clear();
        text >> keyword;
        // The numbers are read straight into the fields, so a short line keeps the earlier components.
        if (keyword == "Kd") {
            text >> material.diffuse_color.x >> material.diffuse_color.y >> material.diffuse_color.z;
        } else if (keyword == "Ks") {
            text >> material.specular_color.x >> material.specular_color.y >> material.specular_color.z;
        } else if (keyword == "Ns") {
            text >> material.glossiness;
        } else if (keyword == "map_Kd" || keyword == "map_Ks" || keyword == "map_Bump") {
            std::string path;
            text >> path;
            auto& map = keyword == "map_Kd"   ? material.diffuse_map
                        : keyword == "map_Ks" ? material.specular_map
                                              : material.normal_map;
            map = std::move(path);
        }
    });
    return material;
}

std::optional<std::string> material_path(const std::string& model_path) {
    const std::size_t at = model_path.find("obj");
    if (at == std::string::npos) return std::nullopt;
    std::string path = model_path;
    path.replace(at, 3, "mtl");
    return path;
}
