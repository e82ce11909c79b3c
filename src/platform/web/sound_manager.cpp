// The sound service in the browser: there is no device to open from here; the page's Web Audio context
// plays the music (see player_music.cpp), so the one output is that context.
#include "sound/sound_manager.hpp"

#include "core/core_module.hpp"

#include <SDL_audio.h>

#include <cstdlib>

core_module* sound_manager::core = nullptr;
bool sound_manager::initialized = false;
std::uint32_t sound_manager::opened_device = 0;

sound_manager::sound_manager(core_module* owner) {
    core = owner;
}

sound_manager::~sound_manager() {
    initialized = false;
    core = nullptr;
}

void sound_manager::init() {
    if (initialized) return;
    core->log_manager.info("Initializing Web Audio...");
    initialized = true;
}

int sound_manager::device_count(bool capture) {
    return capture ? 0 : 1;
}

const char* sound_manager::device_name(int index, bool capture) {
    return !capture && index == 0 ? "the page's Web Audio output" : nullptr;
}

std::uint32_t sound_manager::open_device(const char*, const SDL_AudioSpec*, SDL_AudioSpec*, bool) {
    return 0;
}

void sound_manager::resume() {}

void sound_manager::pause() {}

// The browser build never holds samples from SDL's WAV loader (the browser decodes the music), so
// playable_music's owner of them stays empty; its deleter still names this.
extern "C" void SDL_FreeWAV(Uint8* samples) {
    std::free(samples);
}
