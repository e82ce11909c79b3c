#pragma once
// The tracks a piece finds in its music: the music decoded once and every detected track found in one
// analysis, so that a piece plays the same events from the same file every time.

#include "piece/piece.hpp"

namespace logger {
class log_manager;
}

// Fills the events of every detected track of `p` from its music and logs one Info record with the
// counts and the time it took. A piece without detected tracks is left alone: nothing is decoded or
// logged. Throws std::runtime_error "Unable to load music from '<music>': <why>" when the music cannot
// be decoded (`p` unchanged).
void find_detected_tracks(piece::piece_data& p, logger::log_manager& log);
