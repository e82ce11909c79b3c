#pragma once
// The production that plays when no piece file is chosen: pieces/courtyard.toml, compiled in at build
// time so that a program needs no pieces/ folder to play it.

#include "piece/piece.hpp"

#include <string_view>

namespace piece {

inline constexpr const char* builtin_piece_name = "pieces/courtyard.toml";

extern const std::string_view builtin_piece_text;

// The built-in piece, read; its paths stay relative to the working directory.
piece_data builtin_piece();

} // namespace piece
