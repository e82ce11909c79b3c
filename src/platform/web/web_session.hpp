#pragma once
// One run of the web player: the services, the player of the piece and its place in time. The browser
// calls frame() once per display refresh. Playing, the piece is stepped to the music's position each
// refresh, as build/demo steps it; a still (paused, or just after a seek) is the frame of the fixed step,
// reached as demo_capture reaches it (every step before it), so the page at t shows the native still at t.

#include "core/core_module.hpp"
#include "platform/web/web_arguments.hpp"
#include "player/player.hpp"
#include "player/replay.hpp"

#include <cstdint>

class web_session {
public:
    explicit web_session(const web_arguments& arguments);
    web_session(const web_session&) = delete;
    web_session& operator=(const web_session&) = delete;

    // Draws the frame at the music's position on the audio clock (paused: at the held time). Returns the
    // time of the frame shown.
    double frame();

    // The keys of the page, as the live player's: pause and resume, seek by seconds or to a time.
    void toggle_pause();
    void seek_to(double seconds);
    void seek_by(double seconds);
    bool paused() const { return holding; }

private:
    core_module core;
    player demo;
    replay steps;
    bool holding;
    double held_time = 0.0; // the piece's time while paused
    bool seeked = false;         // the next frame is a still of the fixed step
    bool stepped_freely = false; // stepped off the fixed step since the last still
    double now() const;
    void follow_canvas_size();
    double show_exact(double t);
};
