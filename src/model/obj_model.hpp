#pragma once

#include "gl/texture_2d.hpp"
#include "model/model_file.hpp"
#include "model/model_vertex.hpp"

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
};

// read_model_file, with the named maps loaded as GL_RGB textures; warnings are logged when `log` is given.
// Throws what read_model_file throws, and texture_2d::from_file's runtime_error for a map that cannot be
// loaded (the maps of each material in the order diffuse, specular, normal).
std::unique_ptr<obj_model> load_obj(const std::string& path, logger::log_manager* log = nullptr);
