#pragma once
// Who owns the piece's time in the live player: play, pause, seek, loop and speed over a clock reading
// given by the caller (seconds on any steady base). While paused the time rests on a frame of the fixed
// step, so that the position shown can be captured again with demo_capture --at.

#include "demo_live/live_options.hpp"
#include "player/time_limit.hpp"

#include <cstdint>
#include <optional>

namespace live {

class transport {
public:
    // At the options' start time until start is called.
    transport(const live_options& options, int fps);

    // The time runs from clock reading `now` on.
    void start(double now);

    // The piece's time at clock reading `now`. Playing into the end of a loop goes back to its start.
    double time(double now);

    void toggle_pause(double now);
    // To t seconds, within 0 and the latest time set (player/time_limit.hpp).
    void seek(double t, double now);
    void seek_by(double seconds, double now);
    // Clamped to [min_speed, max_speed].
    void set_speed(double factor, double now);
    // The loop's start (end) at the current time. A start at or after the end drops the end; an end at
    // or before the start is refused, and without a start the loop starts at 0.
    void mark_loop_start(double now);
    void mark_loop_end(double now);
    void clear_loop();
    // The latest time a seek goes to: latest_time of the piece that plays.
    void set_latest(double seconds) { latest = seconds; }

    bool playing() const { return running; }
    double speed() const { return rate; }
    std::optional<double> loop_start() const { return loop_from; }
    std::optional<double> loop_end() const { return loop_to; }
    // The music plays along only at normal speed.
    bool audible() const { return running && rate == 1.0; }
    // Counts the jumps of the time (seeks and loop restarts) and the changes of audible(): whenever it
    // moves, the music must be moved, started or stopped.
    std::uint64_t music_changes() const { return changes; }

private:
    // The time after `now` runs on from here.
    void anchor(double t, double now);
    double on_frame(double t) const;

    int fps;
    double anchor_time = 0.0;
    double anchor_clock = 0.0;
    bool running = true;
    double rate = 1.0;
    std::optional<double> loop_from;
    std::optional<double> loop_to;
    std::uint64_t changes = 0;
    double latest = latest_time(piece::max_piece_length);
};

} // namespace live
