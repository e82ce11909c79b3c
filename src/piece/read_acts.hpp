#pragma once
// The tables of a piece made of acts, buffers and post passes: [[buffers]], [[acts]] and [[post]].

#include "piece/reader_support.hpp"

namespace piece::reading {

// Reads the three tables of `root` into `p`, each checked as it is read (names, channels, formats,
// order and overlaps of the acts, the pieces of scene acts read one level deep).
void read_composition(const context& c, const toml::table& root, piece_data& p);

// The piece in `file` read as a scene act's piece `nesting` levels down (0: the piece played).
piece_data read_piece_at(const fs::path& file, int nesting);

} // namespace piece::reading
