#pragma once

#include "model/model_vertex.hpp"
#include "gl/texture_2d.hpp"

#include <glm/vec3.hpp>

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

namespace logger {
class log_manager;
}

// A material as the act draws with it: colours, glossiness and three textures. Constructing one
// generates the three texture names, so it needs a current GL context.
struct model_material {
    std::string name;
    glm::vec3 diffuse_color{0.0f};
    glm::vec3 specular_color{0.0f};
    float glossiness = 0.0f;
    gl::texture_2d diffuse_map;
    gl::texture_2d specular_map;
    gl::texture_2d normal_map;
};

// The triangles [first_triangle, first_triangle + triangle_count) of a model, drawn with one material.
struct model_group {
    std::size_t first_triangle = 0;
    std::size_t triangle_count = 0;
    std::size_t material = 0; // index into obj_model::materials
};

// A model as the act draws it: unshared vertices (three per triangle) in groups by material.
struct obj_model {
    std::vector<model_vertex> vertices;
    std::vector<triangle> triangles;
    std::vector<model_group> groups; // none without triangles
    // The material file's materials in its order, then the default material (black, no maps) when the
    // file has none or a group names one it lacks; never empty.
    std::vector<model_material> materials;
    // What the model file gave: vertices with and without a normal or texture coordinate of their own,
    // and faces left out for having no area.
    std::size_t file_normals = 0;
    std::size_t computed_normals = 0;
    std::size_t file_uvs = 0;
    std::size_t missing_uvs = 0;
    std::size_t dropped_faces = 0;
};

// The largest model or material file load_obj reads, 32 MiB: room for a mesh more than ten times the
// courtyard's 2.5 MB, while a file of nothing but the shortest faces (19 bytes of text give 108 bytes of
// vertices and indices) parses into less than 200 MiB.
inline constexpr std::uintmax_t max_model_file_size = std::uintmax_t{32} << 20;

// Reads an OBJ file and the MTL file whose path is the model path with its first "obj" replaced by
// "mtl", loading the named maps as GL_RGB textures; a map path is tried as written (relative to the
// working directory), then relative to the material file's folder. Faces before any usemtl take the
// material file's first material; a usemtl name the file lacks takes the default material.
// A model or material file that is missing, is no regular file (a folder, a device, after following
// links) or cannot be read leaves that part empty; so that a broken installation does not go unnoticed,
// that, a model without faces, dropped faces and missing material names are logged as warnings when
// `log` is given.
// Throws invalid_argument for a path without "obj", runtime_error naming the file for one larger than
// max_model_file_size and naming path and line for a face that cannot be used, and
// texture_2d::from_file's runtime_error for a map that cannot be loaded.
std::unique_ptr<obj_model> load_obj(const std::string& path, logger::log_manager* log = nullptr);
