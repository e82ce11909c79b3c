#include "core/core_module.hpp"
#include "core/monitor_report.hpp"

#include <string>

void core_module::start_services() {
    display.init();
    log_manager.info(monitor_report(display_manager::monitors, display_manager::find_primary_monitor()));

    sound.init();
    // The count is asked again each step: SDL may revise its device list in between.
    for (int k = 0; k < sound.device_count(false); ++k) {
        const char* name = sound.device_name(k, false);
        log_manager.info("Audio device #" + std::to_string(k + 1) + ": " +
                         (name != nullptr ? name : "<Unknown>"));
    }
}
