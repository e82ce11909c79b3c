#pragma once
// One run of the web player: the services, the player of the piece and its place in time. The browser
// calls frame() once per display refresh.

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

    // Paused: the frame at the still time, reached with the fixed step as demo_capture reaches it. Playing:
    // the frame at the music's position on the audio clock.
    void frame();

private:
    core_module core;
    player demo;
    replay steps;
    bool paused;
    // The frame shown while paused.
    std::int64_t still_frame = 0;
};
