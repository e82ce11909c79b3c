#define SDL_MAIN_HANDLED
#include "sound/sound_manager.hpp"

#include "core/core_module.hpp"
#include "platform/platform_error.hpp"

#include <SDL.h>

core_module* sound_manager::core = nullptr;
bool sound_manager::initialized = false;
std::uint32_t sound_manager::opened_device = 0;

namespace {

SDL_LogOutputFunction previous_log_output = nullptr;
void* previous_log_data = nullptr;

// SDL may call this on any thread; every SDL message becomes an info record, whatever its priority.
void forward_sdl_log(void* /*userdata*/, int /*category*/, SDL_LogPriority /*priority*/,
                     const char* message) {
    if (sound_manager::core != nullptr && message != nullptr) sound_manager::core->log_manager.info(message);
}

} // namespace

sound_manager::sound_manager(core_module* owner_core) {
    core = owner_core;
}

sound_manager::~sound_manager() {
    if (!initialized) return;
    SDL_Quit();
    // SDL outlives the core module; its later messages must not reach a log that is gone.
    SDL_LogSetOutputFunction(previous_log_output, previous_log_data);
    // SDL is really down now, so a later core module in the same process brings it up again.
    initialized = false;
}

void sound_manager::init() {
    if (initialized) return;
    core->log_manager.info("Initializing SDL_Audio...");
    SDL_SetMainReady();
    // SDL would turn SIGINT and SIGTERM into quit events that nothing reads; the core module handles them.
    SDL_SetHint(SDL_HINT_NO_SIGNAL_HANDLERS, "1");
    if (SDL_Init(SDL_INIT_AUDIO) != 0) throw platform::platform_error(SDL_GetError());
    SDL_LogGetOutputFunction(&previous_log_output, &previous_log_data);
    SDL_LogSetOutputFunction(&forward_sdl_log, nullptr);
    initialized = true;
}

int sound_manager::device_count(bool capture) {
    return SDL_GetNumAudioDevices(capture ? 1 : 0);
}

const char* sound_manager::device_name(int index, bool capture) {
    return SDL_GetAudioDeviceName(index, capture ? 1 : 0);
}

std::uint32_t sound_manager::open_device(const char* device, const SDL_AudioSpec* desired,
                                         SDL_AudioSpec* obtained, bool capture) {
    opened_device = SDL_OpenAudioDevice(device, capture ? 1 : 0, desired, obtained,
                                        SDL_AUDIO_ALLOW_FREQUENCY_CHANGE | SDL_AUDIO_ALLOW_FORMAT_CHANGE);
    if (opened_device == 0)
        throw platform::platform_error(
            std::string("sound_manager::open_device(): Unable to open audio device: ") + SDL_GetError());
    return opened_device;
}

void sound_manager::resume() {
    SDL_PauseAudioDevice(opened_device, 0);
}

void sound_manager::pause() {
    SDL_PauseAudioDevice(opened_device, 1);
}
