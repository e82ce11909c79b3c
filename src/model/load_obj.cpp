#include "model/obj_model.hpp"

#include "model/obj_parser.hpp"
#include "core/exceptions.hpp"
#include "logger/log_manager.hpp"

#include <array>
#include <cstddef>
#include <filesystem>
#include <fstream>
#include <future>
#include <optional>
#include <system_error>

namespace {

// The whole text of a model or material file; nothing when the path does not lead to a regular file
// or the file cannot be read, since opening a folder succeeds and a device may never end. Reads at most
// the size the file system reports, so the limit bounds what is read even for a file that grows.
std::optional<std::string> read_regular_file(const std::string& path) {
    std::error_code error;
    if (!std::filesystem::is_regular_file(path, error)) return std::nullopt;
    const std::uintmax_t size = std::filesystem::file_size(path, error);
    if (error) return std::nullopt;
    if (size > max_model_file_size) {
        throw runtime_error("load_obj(): " + path + ": " + std::to_string(size) + " bytes, larger than the " +
                            std::to_string(max_model_file_size) + "-byte limit for a model or material file");
    }
    std::ifstream file(path, std::ios::binary);
    if (!file) return std::nullopt;
    std::string text(static_cast<std::size_t>(size), '\0');
    file.read(text.data(), static_cast<std::streamsize>(size));
    if (file.bad()) return std::nullopt;
    text.resize(static_cast<std::size_t>(file.gcount())); // shorter when the file shrank meanwhile
    return text;
}

// Loads the maps the material names as GL_RGB textures, in the order diffuse, specular, normal, with the
// GL calls and failures of one from_file after the other. Decoding the large PNG maps is most of the
// model's loading time and needs no GL context, so the maps after the first are decoded on their own
// threads meanwhile; a thread that cannot be started leaves its map to this thread.
void load_maps(obj_model& model, const mtl_material& material) {
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
        try {
            decoding[i] =
                std::async(std::launch::async, &texture_2d::decode_file, **paths[i], GLenum{GL_RGB});
        } catch (const std::system_error&) {
        }
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
    const auto warn = [log](const std::string& text) {
        if (log != nullptr) log->warning("load_obj(): " + text);
    };
    const std::optional<std::string> mtl_path = material_path(path);
    if (!mtl_path) throw invalid_argument("load_obj(): no material path for '" + path + "'");

    auto model = std::make_unique<obj_model>();

    if (const std::optional<std::string> obj_text = read_regular_file(path)) {
        try {
            obj_mesh mesh = parse_obj(*obj_text);
            model->vertices = std::move(mesh.vertices);
            model->triangles = std::move(mesh.triangles);
        } catch (const obj_parse_error& e) {
            throw runtime_error("load_obj(): " + path + ":" + std::to_string(e.line) + ": " + e.reason);
        }
        if (model->triangles.empty()) warn("Model file '" + path + "' has no faces.");
    } else {
        warn("Unable to open model file '" + path + "'; the model has no faces.");
    }

    if (const std::optional<std::string> mtl_text = read_regular_file(*mtl_path)) {
        const mtl_material material = parse_mtl(*mtl_text);
        model->diffuse_color = material.diffuse_color;
        model->specular_color = material.specular_color;
        model->glossiness = material.glossiness;
        load_maps(*model, material);
    } else {
        warn("Unable to open material file '" + *mtl_path + "'; the model keeps the default material.");
    }
    return model;
}
