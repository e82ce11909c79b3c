#pragma once
// `piece_export --files`: every file the player reads to play a piece, checked to be there.

#include "piece/piece.hpp"

#include <stdexcept>
#include <string>
#include <vector>

// A file the piece needs that cannot be read; what() names where the piece names it.
struct missing_file : std::runtime_error {
    using std::runtime_error::runtime_error;
};

// The files of piece::files_named, with each model's material file and maps as the loader finds them,
// sorted, each once. Throws missing_file for one that is not a readable file (the player would stop on
// it), and the loader's runtime_error for a model it refuses.
std::vector<std::string> export_files(const piece::piece_data& p);
