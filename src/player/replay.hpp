#pragma once
// The fixed time step that makes a frame exact however slow the machine: frame k of the production is the
// act's frame at frame_time(k), reached by stepping every frame before it, in order, from the first. A
// capture at t and a live seek to t both land on frame nearest_frame(t) this way, so they show one picture.

#include <cstdint>

class player;

class replay {
public:
    static constexpr int default_fps = 60;

    explicit replay(player& p, int fps = default_fps);

    // k / fps, but frame 0 a hair after 0 so that the act scheduled at 0 begins on it.
    static double frame_time(std::int64_t k, double fps);
    // The frame whose time is nearest t (t >= 0).
    static std::int64_t nearest_frame(double t, double fps);

    // Brings the player's production to frame k with CPU steps only: on from the last frame stepped, or
    // from the start (after rewinding the player) when k lies behind it. Returns the frames stepped: none
    // for the frame it is on.
    std::int64_t step_to(std::int64_t k);
    // step_to, but at most `most` steps: a long replay goes in slices, between which the caller answers
    // its window. frame() says how far it got.
    std::int64_t step_toward(std::int64_t k, std::int64_t most);
    // Rewinds the player and forgets the frames stepped, so that the next step_to replays from the first
    // frame: for a production whose history changed under it (a piece read again).
    void restart();
    // The frame stepped last; -1 before the first.
    std::int64_t frame() const { return last; }
    int frames_per_second() const { return fps; }

private:
    player& host;
    int fps;
    std::int64_t last = -1;
};
