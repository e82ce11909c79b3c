#pragma once
// Every shader file a piece draws with, its scene acts' pieces included: what a live player watches.

#include "piece/piece.hpp"

#include <string>
#include <vector>

namespace piece {

// In the order the piece names them, each once (paths as resolved by the reader).
std::vector<std::string> shader_files(const piece_data& p);

} // namespace piece
