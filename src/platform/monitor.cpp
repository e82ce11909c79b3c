#include "platform/monitor.hpp"

#include "platform/platform_error.hpp"

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

        const GLFWvidmode* mode = glfwGetVideoMode(handle);
        if (mode == nullptr) throw platform::platform_error("Unable to get current video mode.");
        current_mode = *mode;

        int count = 0;
        const GLFWvidmode* supported = glfwGetVideoModes(handle, &count);
        if (supported == nullptr) throw platform::platform_error("Unable to get supported video modes.");
        modes.assign(supported, supported + count);

        glfwGetMonitorPhysicalSize(handle, &physical_size.x, &physical_size.y);
        glfwGetMonitorPos(handle, &position.x, &position.y);
    } catch (const std::exception& e) {
        throw platform::platform_error(std::string("monitor::monitor(): ") + e.what());
    }
}
