#pragma once

#include "config/config_manager.hpp"
#include "core/exceptions.hpp"
#include "logger/log_manager.hpp"
#include "platform/display_manager.hpp"
#include "platform/input_manager.hpp"
#include "sound/sound_manager.hpp"

#include <cstdint>

// Owns the long-lived services of the run and keeps the core clock, the one time base of the program.
class core_module {
public:
    class core_error : public runtime_error {
    public:
        using runtime_error::runtime_error;
    };

    core_module();
    ~core_module();
    core_module(const core_module&) = delete;
    core_module& operator=(const core_module&) = delete;

    // Seconds since start_time, read from the system wall clock.
    double time() const;
    void reset_clock();
    // Per-frame housekeeping: delivers pending platform events.
    void update();

    std::int64_t start_time;
    logger::log_manager log_manager;
    config_manager config;
    display_manager display;
    platform::input_manager input;
    sound_manager sound;

private:
    // Brings GLFW and SDL audio up and logs the monitors and audio output devices.
    void start_services();
};
