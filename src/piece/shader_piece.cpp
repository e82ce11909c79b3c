#include "piece/shader_piece.hpp"

#include "piece/builtin_piece.hpp"

#include <filesystem>

namespace piece {

piece_data shader_piece(const std::string& shader, const std::string& music) {
    piece_data p;
    p.file = shader;
    p.name = std::filesystem::path(shader).stem().string();
    if (p.name.empty()) p.name = "shader";
    p.length = max_piece_length;
    p.length_of_music = true;
    p.music = music.empty() ? builtin_piece().music : music;
    act a;
    a.name = p.name;
    a.until = p.length;
    a.shader = named_file{shader, 1, 1};
    a.channels[0].from = channel::source::music;
    p.acts.push_back(std::move(a));
    return p;
}

} // namespace piece
