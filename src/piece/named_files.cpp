#include "piece/named_files.hpp"

#include <algorithm>

namespace piece {

namespace {

class file_list {
public:
    explicit file_list(std::vector<named_path>& out)
        : files(out) {}

    void add(const std::string& file, const std::string& piece, long line, long column, bool model = false) {
        const auto same = [&](const named_path& n) { return n.file == file; };
        if (std::find_if(files.begin(), files.end(), same) == files.end())
            files.push_back({file, piece, line, column, model});
    }
    void add(const std::string& file, const piece_data& p, const file_place& at, bool model = false) {
        add(file, p.file, at.line, at.column, model);
    }
    void add(const named_file& f, const piece_data& p) { add(f.file, p.file, f.line, f.column); }

    void channels(const channel_list& list, const piece_data& p) {
        for (const channel& ch : list)
            if (ch.from == channel::source::image) add(ch.image, p);
    }

    // What a piece that draws a scene loads for it.
    void scene(const piece_data& p) {
        add(p.model, p, p.model_at, true);
        if (p.extra_model) add(*p.extra_model, p, p.extra_model_at, true);
        for (std::size_t i = 0; i < p.scene_shaders.size(); ++i)
            add(p.scene_shaders[i], p, p.scene_shaders_at[i]);
        for (std::size_t i = 0; i < p.particle_shaders.size(); ++i)
            add(p.particle_shaders[i], p, p.particle_shaders_at[i]);
        for (const sprite& s : p.sprites)
            add(s.file, p, s.file_at);
    }

private:
    std::vector<named_path>& files;
};

} // namespace

std::vector<named_path> files_named(const piece_data& p) {
    std::vector<named_path> files;
    file_list list(files);
    if (p.acts.empty()) list.scene(p);
    list.add(p.music, p, p.music_at);
    for (const buffer_pass& b : p.buffers) {
        list.add(b.shader, p);
        list.channels(b.channels, p);
    }
    for (const act& a : p.acts) {
        if (a.shader) {
            list.add(*a.shader, p);
            list.channels(a.channels, p);
        }
        if (a.scene) {
            list.add(a.scene->file, p.file, a.line, a.column);
            list.scene(*a.scene);
            if (has_detected_tracks(a.scene->tracks)) list.add(a.scene->music, *a.scene, a.scene->music_at);
        }
        if (a.transition && a.transition->shader) list.add(*a.transition->shader, p);
    }
    for (const post_pass& pass : p.post) {
        list.add(pass.shader, p);
        list.channels(pass.channels, p);
    }
    return files;
}

} // namespace piece
