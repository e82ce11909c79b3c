#pragma once

#include "player/act_timeline.hpp"
#include "player/camera.hpp"
#include "sound/sound_state.hpp"

#include <SDL_audio.h>

#include <atomic>
#include <cstdint>
#include <memory>
#include <random>

class core_module;
struct obj_model;
namespace platform {
class window;
}

// Hosts the production: builds the window, camera, music and act timeline from config.ini and runs the
// frame loop. Acts receive it every frame and read the time, camera, event tracks and rng from it.
class player {
public:
    explicit player(core_module* core);
    // Stops the music if it still plays, then releases the act before the model it draws.
    ~player();
    player(const player&) = delete;
    player& operator=(const player&) = delete;

    // Starts the music and renders the current act every frame until the window is asked to close.
    void run();

    double time = 0.0;
    platform::window* window = nullptr;
    std::int32_t screen_width = 0;
    std::int32_t screen_height = 0;
    core_module* core;
    ::camera camera;
    std::mt19937 rng;
    ::sound_state sound_state;
    SDL_AudioSpec music_spec{};
    // Shared with SDL's audio thread while the device is open.
    std::atomic<std::uint32_t> music_remaining{0};
    const std::uint8_t* music_position = nullptr;
    std::uint8_t* music_buffer = nullptr;
    bool music_stopped = false;
    act_timeline timeline;

    std::unique_ptr<obj_model> model;
    std::unique_ptr<abstract_act> act;

private:
    static void audio_callback(void* user_data, std::uint8_t* stream, int len);
    void load_music();
    void open_audio();
    // Closes the audio device and releases the samples (once).
    void stop_music();
    void install_handlers();
    void install_production();
};
