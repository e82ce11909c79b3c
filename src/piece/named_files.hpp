#pragma once
// The files a piece makes the player read: what must travel with it for it to play elsewhere (a page of
// the web player packs exactly these).

#include "piece/piece.hpp"

#include <string>
#include <vector>

namespace piece {

// A file as the player opens it (the path as the reader resolved it) and where a piece names it.
struct named_path {
    std::string file;
    std::string piece; // the piece file that names it
    long line = 0;     // 0: the piece does not write it (a default shader)
    long column = 0;
    bool model = false; // an OBJ model, which brings its material file and maps
};

// Every file the player reads to play `p`, in the order the piece names them, each once: the model and
// extra model and the scene and particle shaders of a piece that draws its own scene (defaults
// included), its sprites, the music, the buffers', acts', transitions' and post passes' shaders and
// image channels, and for every scene act its piece file and the same of that piece (its music only
// when tracks are found in it: otherwise the music heard is the outer piece's). Not the models'
// material files and maps, which only the model file names.
std::vector<named_path> files_named(const piece_data& p);

} // namespace piece
