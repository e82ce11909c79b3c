#include "piece/shader_files.hpp"

#include <algorithm>

namespace piece {

namespace {

void add(std::vector<std::string>& files, const std::string& file) {
    if (std::find(files.begin(), files.end(), file) == files.end()) files.push_back(file);
}

void add_scene(std::vector<std::string>& files, const piece_data& p) {
    for (const std::string& f : p.scene_shaders) add(files, f);
    for (const std::string& f : p.particle_shaders) add(files, f);
}

} // namespace

std::vector<std::string> shader_files(const piece_data& p) {
    std::vector<std::string> files;
    if (p.acts.empty()) add_scene(files, p);
    for (const buffer_pass& b : p.buffers) add(files, b.shader.file);
    for (const act& a : p.acts) {
        if (a.shader) add(files, a.shader->file);
        if (a.scene) add_scene(files, *a.scene);
        if (a.transition && a.transition->shader) add(files, a.transition->shader->file);
    }
    for (const post_pass& pp : p.post) add(files, pp.shader.file);
    return files;
}

} // namespace piece
