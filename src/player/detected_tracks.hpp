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
//
// `playing`, when given, is a piece whose detected tracks are already filled: a track of `p` with the
// same music and the same spec as one of them takes its events instead of being found again, and when
// every track is taken so, the music is not decoded and nothing is logged. The live player passes the
// piece it plays, so that a save that leaves the detection alone costs nothing and the events stay those
// of the music it plays.
void find_detected_tracks(piece::piece_data& p, logger::log_manager& log,
                          const piece::piece_data* playing = nullptr);
