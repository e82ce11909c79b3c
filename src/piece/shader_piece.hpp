#pragma once
// A piece made of one Shadertoy-style shader file: one act over the whole music, its first channel the
// music texture. What `--shader FILE` plays, so that a shader can be made against the music alone.

#include "piece/piece.hpp"

#include <string>

namespace piece {

// `music` empty: the built-in piece's music. The piece lasts as long as its music, which the player sets
// once the music is decoded (length_of_music).
piece_data shader_piece(const std::string& shader, const std::string& music);

} // namespace piece
