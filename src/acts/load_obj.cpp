#include "acts/obj_model.hpp"

#include "acts/obj_parser.hpp"
#include "core/exceptions.hpp"
#include "logger/log_manager.hpp"

#include <fstream>
#include <optional>

namespace {

void load_map(gl::texture_2d& target, const std::optional<std::string>& path) {
    if (path) target = gl::texture_2d::from_file(*path, GL_RGB);
}

} // namespace

std::unique_ptr<obj_model> load_obj(const std::string& path, logger::log_manager* log) {
    const auto warn = [log](const std::string& text) {
        if (log != nullptr) log->warning("load_obj(): " + text);
    };
    const std::optional<std::string> mtl_path = material_path(path);
    if (!mtl_path) throw invalid_argument("load_obj(): no material path for '" + path + "'");

    auto model = std::make_unique<obj_model>();

    if (std::ifstream obj_file(path); obj_file) {
        try {
            obj_mesh mesh = parse_obj(obj_file);
            model->vertices = std::move(mesh.vertices);
            model->triangles = std::move(mesh.triangles);
        } catch (const obj_parse_error& e) {
            throw runtime_error("load_obj(): " + path + ":" + std::to_string(e.line) + ": " + e.reason);
        }
        if (model->triangles.empty()) warn("Model file '" + path + "' has no faces.");
    } else {
        warn("Unable to open model file '" + path + "'; the model has no faces.");
    }

    if (std::ifstream mtl_file(*mtl_path); mtl_file) {
        const mtl_material material = parse_mtl(mtl_file);
        model->diffuse_color = material.diffuse_color;
        model->specular_color = material.specular_color;
        model->glossiness = material.glossiness;
        load_map(model->diffuse_map, material.diffuse_map);
        load_map(model->specular_map, material.specular_map);
        load_map(model->normal_map, material.normal_map);
    } else {
        warn("Unable to open material file '" + *mtl_path + "'; the model keeps the default material.");
    }
    return model;
}
