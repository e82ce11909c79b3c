#include "support/reference_obj_parser.hpp"

#include <glm/vec2.hpp>

#include <sstream>
#include <string>
#include <utility>

namespace reference_parser {
namespace {

// Calls handle(line_number, line) for every line that is not blank, without the spaces and tabs it
// begins with; line numbers are 1-based and count blank lines too. A trailing carriage return (CRLF
// files) is dropped.
template <typename Handler> void for_each_line(std::istream& in, Handler&& handle) {
    std::string line;
    std::size_t number = 0;
    while (std::getline(in, line)) {
        ++number;
        if (!line.empty() && line.back() == '\r') line.pop_back();
        line.erase(0, line.find_first_not_of(" \t"));
        if (!line.empty()) handle(number, line);
    }
}

// Missing or malformed numbers keep what the stream gives them (0 if nothing was read).
glm::vec3 read_vec3(std::istream& text) {
    glm::vec3 value{0.0f};
    text >> value.x >> value.y >> value.z;
    return value;
}

glm::vec2 read_vec2(std::istream& text) {
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
bool read_corner(std::istream& text, corner& c) {
    text >> c.position;
    text.get();
    text >> c.uv;
    text.get();
    text >> c.normal;
    return !text.fail();
}

bool within(long long one_based, std::size_t count) {
    return one_based >= 1 && static_cast<unsigned long long>(one_based) <= count;
}

class obj_reader {
public:
    void read_line(std::size_t number, const std::string& line) {
        std::istringstream text(line);
        const int first = text.get();
        if (first == 'v') {
            const int second = text.peek();
            if (second == ' ' || second == '\t') {
                positions.push_back(read_vec3(text));
            } else if (second == 't') {
                text.get();
                uvs.push_back(read_vec2(text)); // a third value is ignored
            } else if (second == 'n') {
                text.get();
                normals.push_back(read_vec3(text));
            }
        } else if (first == 'f') {
            read_face(number, text);
        }
    }

    obj_mesh take() { return std::move(mesh); }

private:
    // Anything after the third corner, such as the fourth corner of a quad, is ignored.
    void read_face(std::size_t number, std::istream& text) {
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

obj_mesh parse_obj(std::istream& in) {
    obj_reader reader;
    for_each_line(in,
                  [&reader](std::size_t number, const std::string& line) { reader.read_line(number, line); });
    return reader.take();
}

mtl_material parse_mtl(std::istream& in) {
    mtl_material material;
    for_each_line(in, [&material](std::size_t, const std::string& line) {
        std::istringstream text(line);
        std::string keyword;
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

} // namespace reference_parser
