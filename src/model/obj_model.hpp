#pragma once

#include "model/model_vertex.hpp"
#include "gl/texture_2d.hpp"

#include <glm/vec3.hpp>

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

namespace logger {
class log_manager;
}

// A model as the act draws it: unshared vertices (three per triangle), one material and three textures.
// Constructing one generates the three texture names, so it needs a current GL context.
struct obj_model {
    std::vector<model_vertex> vertices;
    std::vector<triangle> triangles;
    glm::vec3 diffuse_color{0.0f};
    glm::vec3 specular_color{0.0f};
    float glossiness = 0.0f;
    gl::texture_2d diffuse_map;
    gl::texture_2d specular_map;
    gl::texture_2d normal_map;
};

// The largest model or material file load_obj reads, 32 MiB: room for a mesh more than ten times the
// courtyard's 2.5 MB, while a file of nothing but the shortest faces (19 bytes of text give 108 bytes of
// vertices and indices) parses into less than 200 MiB.
inline constexpr std::uintmax_t max_model_file_size = std::uintmax_t{32} << 20;

// Reads an OBJ file and the MTL file whose path is the model path with its first "obj" replaced by
// "mtl", loading the named maps as GL_RGB textures (paths relative to the working directory).
// A model or material file that is missing, is no regular file (a folder, a device, after following
// links) or cannot be read leaves that part empty; so that a broken installation does not go unnoticed,
// that and a model without faces are logged as warnings when `log` is given.
// Throws invalid_argument for a path without "obj", runtime_error naming the file for one larger than
// max_model_file_size and naming path and line for a face that cannot be used, and
// texture_2d::from_file's runtime_error for a map that cannot be loaded.
std::unique_ptr<obj_model> load_obj(const std::string& path, logger::log_manager* log = nullptr);
