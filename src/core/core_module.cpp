#include "core/core_module.hpp"

#include "core/stop_signals.hpp"
#include "core/time_stamp.hpp"
#include "logger/file_logger.hpp"
#include "logger/ostream_logger.hpp"

#include <functional>
#include <iostream>

core_module::core_module() try
    : start_time(system_clock_ns())
    , log_manager(std::bind(&core_module::time, this), logger::log_manager::delivery::held)
    , config(this)
    , display(this)
    , input(this)
    , sound(this) {
    log_manager.info("Core initialization at " + time_stamp(start_time));
    log_manager.add_logger(std::make_unique<logger::ostream_logger>(std::cerr, logger::level::info));
    auto file_log = std::make_unique<logger::file_logger>("test.log", logger::level::debug);
    const bool file_log_open = file_log->is_open();
    log_manager.add_logger(std::move(file_log));
    // The file logger stays silent about a file it cannot open; the console is told once.
    if (!file_log_open)
        log_manager.warning("Unable to open 'test.log' for writing; records go to the console only.");
    // Held until now so that the start record reaches both loggers in every run.
    log_manager.start_delivery();
    stop_signals::install();
    start_services();
} catch (const std::exception& e) {
    throw core_error(std::string("core_module::core_module(): ") + e.what());
}

core_module::~core_module() {
    log_manager.info("Core shutdown at " + time_stamp(system_clock_ns()));
}

double core_module::time() const {
    return static_cast<double>(system_clock_ns() - start_time) / 1000.0 / 1000000.0;
}

void core_module::reset_clock() {
    log_manager.info("Core clock reset!");
    start_time = system_clock_ns();
}

void core_module::update() {
    input.poll_events();
    if (const int signal = stop_signals::take()) {
        log_manager.info(std::string("core_module::update(): ") + stop_signals::name(signal) +
                         " received; closing the windows.");
        for (platform::window& window : display_manager::windows) {
            if (!window.closed) window.should_close(true);
        }
    }
}
