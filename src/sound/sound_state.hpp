#pragma once

#include "piece/piece.hpp"

#include <cstdint>
#include <vector>

// The score of the piece's music: its event tracks, each event an open interval of music time (seconds
// from the music's start) carrying a value. Queries are in core-clock seconds and are shifted by
// sync_offset, the core time at which the music started.
class sound_state {
public:
    // Takes the built-in piece's tracks and announces itself on standard output.
    sound_state();
    // A piece's tracks from the start, quietly: the score of a scene act's piece.
    explicit sound_state(const std::vector<piece::track>& tracks);
    // A piece's tracks instead, in the piece's order, every cursor at its track's start.
    void set_tracks(const std::vector<piece::track>& tracks);

    void set_offset(double t);
    double get_offset() const;

    // Value of the event under way on each track at core time t, 0 between events, one per track. Cursors only move
    // forward, so a time earlier than a previous query does not see events already passed.
    std::vector<double> at(double t);
    // Cursors back to each track's first event, so that queries can start again from any time.
    void rewind();

    double sync_offset;
    std::vector<std::int32_t> cursors;       // per track: first event not yet known to be over
    std::vector<std::vector<double>> values; // per track, per event
    std::vector<std::vector<double>> starts; // per track, per event, music seconds
    std::vector<std::vector<double>> ends;   // per track, per event, music seconds
};
