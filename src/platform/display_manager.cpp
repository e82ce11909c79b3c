#include "platform/display_manager.hpp"

#include "core/core_module.hpp"
#include "platform/platform_error.hpp"

#include <GLFW/glfw3.h>

#include <mutex>
#include <sstream>

core_module* display_manager::core = nullptr;
bool display_manager::initialized = false;
std::uint32_t display_manager::session = 0;
std::list<platform::window> display_manager::windows;
std::list<monitor> display_manager::monitors;
google::dense_hash_map<GLFWwindow*, platform::window*> display_manager::window_registry(16);
google::dense_hash_map<GLFWmonitor*, monitor*> display_manager::monitor_registry(8);

namespace {

std::once_flag registry_keys_set;

// A handle as it appears in messages: hexadecimal with "0x", null as "0".
std::string handle_text(const void* handle) {
    std::ostringstream text;
    text << handle;
    return text.str();
}

} // namespace

display_manager::display_manager(core_module* owner_core) {
    // The first manager's address lies inside the core module, where no GLFW handle can be.
    std::call_once(registry_keys_set, [this] {
        window_registry.set_empty_key(nullptr);
        window_registry.set_deleted_key(reinterpret_cast<GLFWwindow*>(this));
        monitor_registry.set_empty_key(nullptr);
        monitor_registry.set_deleted_key(reinterpret_cast<GLFWmonitor*>(this));
    });
    core = owner_core;
}

display_manager::~display_manager() {
    for (platform::window& window : windows) {
        if (window.closed) continue;
        try {
            window.close();
        } catch (...) {
            // Shutdown goes on for the remaining windows.
        }
    }
    core->log_manager.debug("Terminating GLFW...");
    glfwTerminate();
    // Later GLFW calls must not reach a core module that may be gone by then.
    glfwSetErrorCallback(nullptr);
    monitor_registry.clear();
    monitors.clear();
    initialized = false;
}

void display_manager::init() {
    if (initialized) throw platform::platform_error("display_manager::init(): Platform already initialized!");
    core->log_manager.debug("Initializing GLFW...");
    if (glfwInit() != GLFW_TRUE)
        throw platform::platform_error("display_manager::init(): GLFW initialization failed.");
    glfwSetErrorCallback(&display_manager::error_callback);
    ++session;
    initialized = true;
    detect_monitors();
}

void display_manager::detect_monitors() {
    int count = 0;
    GLFWmonitor** handles = glfwGetMonitors(&count);
    if (handles == nullptr)
        throw platform::platform_error("display_manager::detect_monitors(): Unable to detect monitors.");
    for (int i = 0; i < count; ++i) {
        monitor& record = monitors.emplace_back(handles[i]);
        monitor_registry[handles[i]] = &record;
    }
}

platform::window& display_manager::create_window() {
    if (!initialized)
        throw platform::platform_error("display_manager::create_window(): Platform hasn't been initialized.");
    return windows.emplace_back(*this);
}

void display_manager::add_window(platform::window* window) {
    if (window->handle == nullptr)
        throw invalid_argument("display_manager::add_window(): Invalid window with address '" +
                               handle_text(window->handle) + "'.");
    window_registry[window->handle] = window;
}

void display_manager::remove_window(platform::window* window) {
    const auto found = window_registry.empty() || window->handle == nullptr
                           ? window_registry.end()
                           : window_registry.find(window->handle);
    if (found == window_registry.end())
        throw invalid_argument("display_manager::remove_window(): Invalid window with address '" +
                               handle_text(window->handle) + "'.");
    window_registry.erase(found);
}

platform::window& display_manager::active_window() {
    if (!initialized)
        throw platform::platform_error("display_manager::active_window(): Platform hasn't been initialized.");
    GLFWwindow* current = glfwGetCurrentContext();
    if (current == nullptr)
        throw platform::platform_error("display_manager::active_window(): No active window.");
    platform::window* window = find_window(current);
    if (window == nullptr)
        throw platform::platform_error("display_manager::active_window(): The current context belongs to no "
                                       "registered window.");
    return *window;
}

platform::window* display_manager::find_window(GLFWwindow* handle) {
    if (handle == nullptr || window_registry.empty()) return nullptr;
    const auto found = window_registry.find(handle);
    return found == window_registry.end() ? nullptr : found->second;
}

monitor* display_manager::find_monitor(GLFWmonitor* handle) {
    if (handle == nullptr || monitor_registry.empty()) return nullptr;
    const auto found = monitor_registry.find(handle);
    return found == monitor_registry.end() ? nullptr : found->second;
}

monitor* display_manager::find_primary_monitor() {
    return initialized ? find_monitor(glfwGetPrimaryMonitor()) : nullptr;
}

monitor& display_manager::primary_monitor() {
    monitor* primary = find_primary_monitor();
    if (primary == nullptr)
        throw platform::platform_error(
            "display_manager::primary_monitor(): No primary monitor is registered.");
    return *primary;
}
