#pragma once
// The live player's frame loop over a constructed player: the transport owns the piece's time, every frame
// shown is the fixed-step frame nearest that time (replayed from 0 without GL when the time jumps back),
// the music follows the picture, saved shader files are rebuilt, a saved piece file is read again and
// replayed, C writes the camera as a camera row, T shows the event tracks over the window, and the state
// shows in the window title.

#include "demo_live/camera_key.hpp"
#include "demo_live/live_options.hpp"
#include "demo_live/transport.hpp"
#include "gl/offscreen_target.hpp"
#include "platform/input_manager.hpp"
#include "platform/window.hpp"
#include "player/replay.hpp"

#include <chrono>
#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

class core_module;
class player;

namespace live {

class folder_watch;
class piece_watch;
class track_strip;

class session {
public:
    // Takes the key events (the player's mouse orbit and zoom stay) and starts watching the folders of the
    // piece's shader files and the piece file (--piece, else config.ini's piece.file; the built-in piece
    // has none).
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
    void reload_piece();
    void write_camera_row();
    // Over the window's framebuffer of this size (full screen may have another than config.ini's).
    void draw_strip(int width, int height);
    void watch_shaders();
    // Draws the frame stepped to last and shows it.
    void show_frame(std::int64_t k);
    void show_status(double now, double t);

    player& host;
    core_module& core;
    transport clock;
    replay frames;
    // Frames are drawn offscreen exactly as demo_capture draws them, then copied to the window.
    gl::offscreen_target target;
    std::vector<std::unique_ptr<folder_watch>> shader_watches;
    std::unique_ptr<piece_watch> piece_file;
    // "<file>:<line>:<column>" of the last save that did not check, for the title; empty when it checked.
    std::string piece_failing;
    // A reload waiting for its first frame, which logs it: what was done and when the save was seen.
    std::string piece_reload_pending;
    std::chrono::steady_clock::time_point piece_saved_at;
    // The camera when C was last pressed: the next row flies from it.
    std::optional<camera_key> last_camera_key;
    bool camera_row_due = false;
    // Key T: the event tracks drawn over the picture in the window (never into the frame itself).
    bool strip_shown = false;
    std::unique_ptr<track_strip> strip; // made when first shown
    std::function<void(platform::window&, platform::input_manager::input_event)> player_input;
    std::function<void(platform::window&, platform::window::event)> player_events;
    std::string base_title;
    bool redraw = true;
    bool reload_all = false;
    bool shader_failing = false;
    std::string shader_error; // the first message of the failing shader, for the title
    std::uint64_t music_changes_followed = 0;
    // A reload put other music in place: it is moved to the time and started as a seek would.
    bool music_replaced = false;
    // A reload moved the piece's 0 in the music: it is moved at the next follow, as after a seek.
    bool music_start_moved = false;
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
