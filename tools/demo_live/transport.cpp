#include "demo_live/transport.hpp"

#include "player/time_limit.hpp"

#include <algorithm>
#include <cmath>

namespace live {

transport::transport(const live_options& options, int frames_per_second)
    : fps(frames_per_second)
    , running(!options.paused)
    , rate(options.speed) {
    if (options.loop) {
        loop_from = options.loop->start;
        loop_to = options.loop->end;
    }
    anchor(options.start.value_or(options.loop ? options.loop->start : 0.0), 0.0);
}

void transport::start(double now) {
    anchor(anchor_time, now);
}

double transport::on_frame(double t) const {
    return std::round(t * fps) / fps;
}

void transport::anchor(double t, double now) {
    anchor_time = running ? t : on_frame(t);
    anchor_clock = now;
    ++changes;
}

double transport::time(double now) {
    if (!running) return anchor_time;
    const double t = anchor_time + (now - anchor_clock) * rate;
    // A run that started before the end or on it (an end marked while paused, --start at the end) loops;
    // a seek past it plays on.
    if (loop_from && loop_to && anchor_time <= *loop_to && t >= *loop_to) {
        anchor(*loop_from, now);
        return anchor_time;
    }
    return t;
}

void transport::toggle_pause(double now) {
    const double t = time(now);
    running = !running;
    anchor(t, now);
}

void transport::seek(double t, double now) {
    anchor(std::clamp(t, 0.0, latest), now);
}

void transport::seek_by(double seconds, double now) {
    seek(time(now) + seconds, now);
}

void transport::set_speed(double factor, double now) {
    const double t = time(now);
    rate = std::clamp(factor, min_speed, max_speed);
    anchor(t, now);
}

void transport::mark_loop_start(double now) {
    const double t = time(now);
    loop_from = t;
    if (loop_to && *loop_to <= t) loop_to.reset();
}

void transport::mark_loop_end(double now) {
    const double t = time(now);
    if (t <= loop_from.value_or(0.0)) return;
    if (!loop_from) loop_from = 0.0;
    loop_to = t;
}

void transport::clear_loop() {
    loop_from.reset();
    loop_to.reset();
}

} // namespace live
