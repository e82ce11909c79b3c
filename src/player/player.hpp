#pragma once

#include "player/act_timeline.hpp"
#include "player/camera.hpp"
#include "piece/piece.hpp"
#include "player/render_scale.hpp"
#include "sound/playable_music.hpp"
#include "sound/sound_state.hpp"

#include <SDL_audio.h>

#include <atomic>
#include <chrono>
#include <cstdint>
#include <filesystem>
#include <memory>
#include <optional>
#include <random>

class core_module;
struct obj_model;
namespace gl {
class offscreen_target;
}
namespace platform {
class window;
}

// Hosts the production: builds the window, camera, music and act timeline from config.ini and runs the
// frame loop. Acts receive it every frame and read the time, camera, event tracks and rng from it.
class player {
public:
    // Plays `piece_file`; without one, the file of config.ini's piece.file, else the built-in piece.
    explicit player(core_module* core, const std::optional<std::filesystem::path>& piece_file = std::nullopt);
    // The act that plays `piece` with `scene_model` (its own model; unused by a piece of acts): a piece of
    // acts, buffers or post passes is composed, today's piece is its scene.
    std::unique_ptr<abstract_act> make_act(obj_model* scene_model);
    // Plays `given`, a piece made by the caller (its detected tracks are found here).
    player(core_module* core, piece::piece_data given);
    // Stops the music if it still plays, then releases the act before the model it draws.
    ~player();
    player(const player&) = delete;
    player& operator=(const player&) = delete;

    // Starts the music and renders the current act every frame until the window is asked to close: into
    // the window, or at the render scale into an offscreen target stretched over it.
    void run();

    // The CPU half of the frame at time t: sets `time` and steps the act current at t (begun when t first
    // passes its start). No GL.
    void step(double t);
    // The GL half of the frame last stepped: its act draws it into the bound framebuffer.
    void draw();
    // Shows the window's back buffer.
    void present();
    // Back to the moment before the first frame: no act begun, the camera where config.ini puts it, the
    // event tracks and the random generator from their start, and every act without its history. The
    // lens (aspect ratio, field of view, clipping) stays as it is.
    void rewind();

    // Moves the music to `seconds` of the piece (the piece's music_start plus `seconds` of the music), on a
    // whole sample frame (past the end: nothing left to play), under SDL's audio lock so that the audio
    // thread never sees half a move.
    void seek_music(double seconds);
    // Unpauses or pauses the audio device; paused, it plays silence.
    void play_music(bool playing);
    // Plays `next` (decoded from the piece's music file) in place of the music, from the piece's 0: the
    // audio output is opened again for its format, paused. Logs and throws when it does not open, with
    // no music left.
    void replace_music(sound::playable_music next);

    double time = 0.0;
    platform::window* window = nullptr;
    std::int32_t screen_width = 0;
    std::int32_t screen_height = 0;
    core_module* core;
    ::camera camera;
    // The camera's placement from config.ini, which rewind restores.
    struct camera_placement {
        glm::vec3 position;
        float pan;
        float tilt;
        float distance;
    } camera_start{};
    std::mt19937 rng;
    ::sound_state sound_state;
    // What plays: read and checked before the window opens.
    piece::piece_data piece;
    SDL_AudioSpec music_spec{};
    // Shared with SDL's audio thread while the device is open.
    std::atomic<std::uint32_t> music_remaining{0};
    const std::uint8_t* music_position = nullptr;
    std::uint8_t* music_buffer = nullptr; // music's samples, while they are held
    std::uint32_t music_length = 0; // bytes of decoded music at music_buffer
    sound::playable_music music;
    bool music_stopped = false;
    act_timeline timeline;

    std::unique_ptr<obj_model> model;
    std::unique_ptr<abstract_act> act;
    // The act of the last step, which draw renders.
    abstract_act* stepped_act = nullptr;
    // display.render_scale; absent (or a fixed 1), run draws straight into the window.
    std::optional<::render_scale> resolution;

private:
    // The constructors' common part, once `piece` is chosen and its tracks found.
    void open();
    static void audio_callback(void* user_data, std::uint8_t* stream, int len);
    // Decodes the music file at `path` (any supported format) into `music`, ready to play from the piece's
    // music_start; logs and throws on failure (a music_start not within the music too).
    void load_music(const std::string& path);
    // A piece that lasts as long as its music: its length and its one act's end from the decoded music.
    void take_length_from_music();
    // Whole sample frames of the music held (the native and the web halves each know theirs).
    std::optional<double> music_frames() const;
    void start_music_at_piece_start(const std::string& path);
    void open_audio();
    // Closes the audio device and releases the samples (once).
    void stop_music();
    void install_handlers();
    void install_production();
    // draw at the render scale: into the target, with the screen size the target's while the act draws,
    // then stretched over the window. At the window's own size, straight into the window.
    void draw_scaled();
    // Gives auto the wall-clock time since the last present and the frame's own work: from `started`
    // (before its step) to `drawn` (before the swap, which may wait for the display).
    void time_frame(std::chrono::steady_clock::time_point started, std::chrono::steady_clock::time_point drawn);

    std::unique_ptr<gl::offscreen_target> scaled_target;
    std::optional<std::chrono::steady_clock::time_point> last_present;
};
