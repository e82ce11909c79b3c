#pragma once
// Plays a constructed player's production offscreen at times the caller chooses instead of the wall clock,
// so every frame is exact however long it takes to render.

#include "gl/offscreen_target.hpp"

#include <cstdint>
#include <vector>

class player;

namespace capture {

class frame_grab {
public:
    // Gives the player the capture size (screen size and camera aspect), stops its buffer swaps from
    // waiting for the display, starts the music's event tracks at time 0 and binds an offscreen target of
    // that size. The player's GL context must be current, as it is after construction.
    frame_grab(player& p, int width, int height);

    // The production's frame at time t: the act current at t (begun when t first passes its start)
    // renders into the target, history included, exactly as the player's loop would at that time.
    void render(double t);
    // render, then the frame as RGB bytes, top row first.
    void render(double t, std::vector<std::uint8_t>& pixels);
    // The CPU half of the frame at t alone: for frames that only carry the history (particles, camera) to
    // a later one.
    void skip(double t);

    const gl::offscreen_target& target() const { return frame; }

    // Time of frame k at `fps` frames per second (replay::frame_time).
    static double frame_time(std::int64_t k, double fps);

private:
    player& host;
    gl::offscreen_target frame;
};

} // namespace capture
