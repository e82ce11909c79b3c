#include "model/obj_model.hpp"

#include "logger/log_manager.hpp"
#include "model/model_file.hpp"

#include <array>
#include <cstddef>
#include <future>
#include <optional>
#include <system_error>

namespace {

// Loads the maps the material names as GL_RGB textures, in the order diffuse, specular, normal, with the
// GL calls and failures of one from_file after the other. Decoding the large PNG maps is most of the
// model's loading time and needs no GL context, so the maps after the first are decoded on their own
// threads meanwhile; a thread that cannot be started leaves its map to this thread.
void load_maps(model_material& model, const mtl_material& material) {
    using gl::texture_2d;
    const std::array<const std::optional<std::string>*, 3> paths{
        &material.diffuse_map, &material.specular_map, &material.normal_map};
    const std::array<texture_2d*, 3> targets{&model.diffuse_map, &model.specular_map, &model.normal_map};

    std::array<std::future<texture_2d::decoded_image>, 3> decoding;
    bool first = true;
    for (std::size_t i = 0; i < paths.size(); ++i) {
        if (!*paths[i]) continue;
        if (first) {
            first = false;
            continue;
        }
#if !defined(__EMSCRIPTEN__) // the browser build has no threads: a std::async there would wait for ever
        try {
            decoding[i] =
                std::async(std::launch::async, &texture_2d::decode_file, **paths[i], GLenum{GL_RGB});
        } catch (const std::system_error&) {
        }
#endif
    }
    // A failure leaves through here; the futures still running are waited for as they are destroyed.
    for (std::size_t i = 0; i < paths.size(); ++i) {
        if (!*paths[i]) continue;
        const texture_2d::decoded_image image =
            decoding[i].valid() ? decoding[i].get() : texture_2d::decode_file(**paths[i], GL_RGB);
        *targets[i] = texture_2d::from_image(image);
    }
}

} // namespace

std::unique_ptr<obj_model> load_obj(const std::string& path, logger::log_manager* log) {
    model_file file = read_model_file(path, [log](const std::string& text) {
        if (log != nullptr) log->warning("load_obj(): " + text);
    });
    auto model = std::make_unique<obj_model>();
    for (const mtl_material& material : file.materials) {
        model_material& loaded = model->materials.emplace_back();
        loaded.name = material.name;
        loaded.diffuse_color = material.diffuse_color;
        loaded.specular_color = material.specular_color;
        loaded.glossiness = material.glossiness;
        load_maps(loaded, material);
    }
    for (std::size_t i = 0; i < file.mesh.groups.size(); ++i) {
        const obj_group& group = file.mesh.groups[i];
        model->groups.push_back({group.first_triangle, group.triangle_count, file.group_materials[i]});
    }
    model->vertices = std::move(file.mesh.vertices);
    model->triangles = std::move(file.mesh.triangles);
    return model;
}
