#include "player/replay.hpp"

#include "player/player.hpp"

#include <cmath>
#include <limits>

replay::replay(player& p, int frames_per_second)
    : host(p)
    , fps(frames_per_second) {}

double replay::frame_time(std::int64_t k, double fps) {
    // The timeline begins an act on the first time strictly after its start.
    constexpr double first_frame = 1e-6;
    return k == 0 ? first_frame : static_cast<double>(k) / fps;
}

std::int64_t replay::nearest_frame(double t, double fps) {
    return static_cast<std::int64_t>(std::llround(t * fps));
}

std::int64_t replay::step_to(std::int64_t k) {
    return step_toward(k, std::numeric_limits<std::int64_t>::max());
}

std::int64_t replay::step_toward(std::int64_t k, std::int64_t most) {
    if (k < last) {
        host.rewind();
        last = -1;
    }
    const std::int64_t from = last;
    for (; last < k && last - from < most; ++last)
        host.step(frame_time(last + 1, fps));
    return last - from;
}

void replay::restart() {
    host.rewind();
    last = -1;
}
