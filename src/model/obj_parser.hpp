#pragma once
// Text side of the model loader: turns OBJ and MTL text into plain data, with no GL involved.

#include "core/exceptions.hpp"
#include "model/model_vertex.hpp"

#include <glm/vec3.hpp>

#include <cstddef>
#include <istream>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

// The triangles [first_triangle, first_triangle + triangle_count) of a mesh, drawn with one material.
struct obj_group {
    std::string material; // the usemtl name; empty for faces before any usemtl
    std::size_t first_triangle = 0;
    std::size_t triangle_count = 0;
};

// Faces of an OBJ file, every corner its own vertex: vertices has three entries per triangle and the
// triangles are 0 1 2, 3 4 5, ... They are grouped by material in the order the names are first used
// (faces keep their file order within a group; a file with one material keeps its order entirely).
struct obj_mesh {
    std::vector<model_vertex> vertices;
    std::vector<triangle> triangles;
    std::vector<obj_group> groups; // none without triangles
    // Vertices whose normal or texture coordinate came from the file, and those that did not.
    std::size_t file_normals = 0;
    std::size_t computed_normals = 0;
    std::size_t file_uvs = 0;
    std::size_t missing_uvs = 0;
    // Faces with fewer than three corners and polygons without area, left out.
    std::size_t dropped_faces = 0;
    // The rest of the first mtllib line: the material file (or files) the model names.
    std::string material_library;
};

// One material of an MTL file; each keyword's last occurrence within it wins. A map is present when its
// keyword appears.
struct mtl_material {
    std::string name; // empty for keywords before the first newmtl
    glm::vec3 diffuse_color{0.0f};
    glm::vec3 specular_color{0.0f};
    float glossiness = 0.0f;
    std::optional<std::string> diffuse_map;
    std::optional<std::string> specular_map;
    std::optional<std::string> normal_map;
};

// The most triangles a model may have, 4 million (90 times the courtyard's 44,828): 108 bytes each as
// parsed, so a little over 400 MiB. A file that would give more is refused.
inline constexpr std::size_t max_model_triangles = 4'000'000;

// A face the parser refuses; line is 1-based.
class obj_parse_error : public runtime_error {
public:
    obj_parse_error(std::size_t line, const std::string& reason);

    std::size_t line;
    std::string reason;
};

// Reads "v", "vt" (v stored as 1 - v) and "vn" lines, faces "f" with corners "p", "p/t", "p//n" or
// "p/t/n" (negative indices count back from the end of the lists read so far), "usemtl", "s" and the
// first "mtllib"; every other line is skipped. Spaces and tabs before a keyword do not matter, and a line
// ending in a backslash goes on on the next one. Triangles stay as they are; larger polygons are split by
// triangulate_polygon. A missing texture coordinate is (0, 0); a missing normal is computed: the
// area-weighted mean of the normals of the faces sharing the corner's position, or the face's own normal
// under "s off" or "s 0". Throws obj_parse_error for a face corner that cannot be read or whose index is
// not within the lists read so far, or for a face past `triangle_limit` (max_model_triangles for every model;
// a test may give a smaller one to try the boundary cheaply).
obj_mesh parse_obj(std::string_view text, std::size_t triangle_limit = max_model_triangles);
// The same over the rest of a stream.
obj_mesh parse_obj(std::istream& in);

// Reads the keywords newmtl, Kd, Ks, Ns, map_Kd, map_Ks and map_Bump (exact case); everything else is
// skipped, and so are the options before a map's path ("-s 2 2 1", "-clamp on", ...). The path is the rest
// of the line. Keywords before the first newmtl make a material without a name.
std::vector<mtl_material> parse_mtl(std::string_view text);
std::vector<mtl_material> parse_mtl(std::istream& in);

// The model path with its first "obj" replaced by "mtl"; nothing when the path has no "obj".
std::optional<std::string> material_path(const std::string& model_path);
