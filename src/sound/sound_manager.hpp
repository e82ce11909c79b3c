#pragma once

#include <cstdint>

class core_module;
struct SDL_AudioSpec;

// Starts and stops SDL's audio subsystem, forwards SDL's own log output into the program's log and
// gives access to the audio devices. All state is class-wide.
class sound_manager {
public:
    explicit sound_manager(core_module* core);
    // Shuts SDL down when init brought it up.
    ~sound_manager();
    sound_manager(const sound_manager&) = delete;
    sound_manager& operator=(const sound_manager&) = delete;

    // Starts SDL audio once; throws platform::platform_error with SDL's error text.
    void init();
    int device_count(bool capture);
    // SDL's name for the device (owned by SDL); null for an index SDL does not know.
    const char* device_name(int index, bool capture);
    // Opens the named device (SDL's default for null), allowing frequency and format changes.
    std::uint32_t open_device(const char* device, const SDL_AudioSpec* desired, SDL_AudioSpec* obtained,
                              bool capture);
    void resume();
    void pause();

    static core_module* core;
    static bool initialized;
    static std::uint32_t opened_device;
};
