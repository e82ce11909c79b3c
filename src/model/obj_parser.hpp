#pragma once
// Text side of the model loader: turns OBJ and MTL text into plain data, with no GL involved.

#include "model/model_vertex.hpp"
#include "core/exceptions.hpp"

#include <glm/vec3.hpp>

#include <cstddef>
#include <istream>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

// Faces of an OBJ file, every corner its own vertex: vertices has three entries per triangle and the
// triangles are 0 1 2, 3 4 5, ...
struct obj_mesh {
    std::vector<model_vertex> vertices;
    std::vector<triangle> triangles;
};

// What an MTL file sets; each keyword's last occurrence wins. A map is present when its keyword appears.
struct mtl_material {
    glm::vec3 diffuse_color{0.0f};
    glm::vec3 specular_color{0.0f};
    float glossiness = 0.0f;
    std::optional<std::string> diffuse_map;
    std::optional<std::string> specular_map;
    std::optional<std::string> normal_map;
};

// A face the parser refuses; line is 1-based.
class obj_parse_error : public runtime_error {
public:
    obj_parse_error(std::size_t line, const std::string& reason);

    std::size_t line;
    std::string reason;
};

// Reads "v", "vt" (v stored as 1 - v) and "vn" lines and triangle faces "f p/t/n p/t/n p/t/n" (a fourth
// corner is ignored); every other line is skipped. Throws obj_parse_error for a face corner that cannot
// be read or whose index is not within the lists read so far.
obj_mesh parse_obj(std::string_view text);
// The same over the rest of a stream.
obj_mesh parse_obj(std::istream& in);

// Reads the keywords Kd, Ks, Ns, map_Kd, map_Ks and map_Bump (exact case); everything else is skipped.
mtl_material parse_mtl(std::string_view text);
mtl_material parse_mtl(std::istream& in);

// The model path with its first "obj" replaced by "mtl"; nothing when the path has no "obj".
std::optional<std::string> material_path(const std::string& model_path);
