// The monitor in the browser: emscripten's GLFW names one but reports no video modes, so the mode is the
// screen the page is shown on, as the browser reports it (its size, 8-bit colour, 60 Hz as a browser
// does not say its refresh rate).
#include "platform/monitor.hpp"

#include "platform/platform_error.hpp"

#include <emscripten/html5.h>

#include <exception>

monitor::monitor(GLFWmonitor* monitor_handle)
    : handle(monitor_handle)
    , current_mode{0, 0, 0, 0, 0, 0}
    , position(0, 0)
    , physical_size(0, 0) {
    try {
        const char* monitor_name = glfwGetMonitorName(handle);
        if (monitor_name == nullptr) throw platform::platform_error("Unable to get monitor name.");
        name = monitor_name;

        int width = 0;
        int height = 0;
        emscripten_get_screen_size(&width, &height);
        if (width <= 0 || height <= 0) throw platform::platform_error("Unable to get current video mode.");
        current_mode = {width, height, 8, 8, 8, 60};
        modes.assign(1, current_mode);
    } catch (const std::exception& e) {
        throw platform::platform_error(std::string("monitor::monitor(): ") + e.what());
    }
}
