#pragma once
// The live player's frame loop over a constructed player: the transport owns the piece's time, every frame
// shown is the fixed-step frame nearest that time (replayed from 0 without GL when the time jumps back),
// the music follows the picture, saved shader files are rebuilt, and the state shows in the window title.

#include "gl/offscreen_target.hpp"
#include "demo_live/live_options.hpp"
#include "demo_live/transport.hpp"
#include "platform/input_manager.hpp"
#include "platform/window.hpp"
#include "player/replay.hpp"

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

class core_module;
class player;

namespace live {

class shader_watch;

class session {
public:
    // Takes the key events (the player's mouse orbit and zoom stay) and starts watching shaders/.
    session(player& p, const live_options& options);
    // Hands the input and window-event handlers back and ends the terminal's status line.
    ~session();
    session(const session&) = delete;
    session& operator=(const session&) = delete;

    // Shows frames until the window is asked to close.
    void run();

private:
    void on_key(std::int32_t key, std::int32_t mods);
    void follow_music(double t);
    void reload_shaders(const std::vector<std::string>& files);
    // Steps the production toward frame k for a slice of time at most; true once it is there.
    bool step_toward(std::int64_t k);
    // Draws the frame stepped to last and shows it.
    void show_frame(std::int64_t k);
    void show_status(double now, double t);

    player& host;
    core_module& core;
    transport clock;
    replay frames;
    // Frames are drawn offscreen exactly as demo_capture draws them, then copied to the window.
    gl::offscreen_target target;
    std::unique_ptr<shader_watch> watch;
    std::function<void(platform::window&, platform::input_manager::input_event)> player_input;
    std::function<void(platform::window&, platform::window::event)> player_events;
    std::string base_title;
    bool redraw = true;
    bool reload_all = false;
    bool shader_failing = false;
    std::uint64_t music_changes_followed = 0;
    std::uint64_t jumps_drawn = 0;
    // The replay's steps and time since the frame shown last.
    std::int64_t replay_steps = 0;
    double replay_ms = 0.0;
    // The status: refreshed a few times a second, and at once after a key.
    bool status_on_terminal = false;
    bool status_due = true;
    double status_clock = 0.0;
    int frames_since_status = 0;
    double frames_per_second = 0.0;
};

} // namespace live
