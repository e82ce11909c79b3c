#pragma once
// The tracks a piece finds in its music: the music decoded once and every detected track found in one
// analysis, so that a piece plays the same events from the same file every time.

#include "piece/piece.hpp"

#include <stdexcept>

namespace logger {
class log_manager;
}

// Music that plays but that the detection cannot take (its sample rate is too low); what() says why.
struct detection_error : std::runtime_error {
    using std::runtime_error::runtime_error;
};

// Fills the events of every detected track of `p` from its music, in the piece's time (a hit at m seconds
// of the music is at m - music_start), and logs one Info record with the counts and the time it took. A
// piece without detected tracks is left alone: nothing is decoded or logged. Throws std::runtime_error "Unable to load music from '<music>': <why>" when the music cannot
// be decoded, and detection_error when it decodes but the detection cannot take it (`p` unchanged).
//
// `playing`, when given, is a piece whose detected tracks are already filled: a track of `p` with the
// same music, music_start and spec as one of them takes its events instead of being found again, and when
// every track is taken so, the music is not decoded and nothing is logged. The live player passes the
// piece it plays, so that a save that leaves the detection alone costs nothing and the events stay those
// of the music it plays.
void find_detected_tracks(piece::piece_data& p, logger::log_manager& log,
                          const piece::piece_data* playing = nullptr);
