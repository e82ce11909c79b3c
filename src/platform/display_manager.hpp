#pragma once

#include "platform/monitor.hpp"
#include "platform/window.hpp"

#include <sparsehash/dense_hash_map>

#include <cstdint>
#include <list>

class core_module;

// Brings GLFW up and down, records the monitors, owns the windows and routes GLFW's per-window
// notifications back to them. All state is class-wide: every object shares it.
class display_manager {
public:
    explicit display_manager(core_module* core);
    ~display_manager();
    display_manager(const display_manager&) = delete;
    display_manager& operator=(const display_manager&) = delete;

    void init();
    void detect_monitors();
    // A new, closed window owned by this manager; its address stays valid until the process ends.
    platform::window& create_window();
    void add_window(platform::window* window);
    void remove_window(platform::window* window);
    // The registered window whose context is current on the calling thread.
    platform::window& active_window();

    // Registry lookups: null for a handle that is not registered.
    static platform::window* find_window(GLFWwindow* handle);
    static monitor* find_monitor(GLFWmonitor* handle);
    // The record of the monitor GLFW calls primary, or null when there is none or it was not recorded.
    static monitor* find_primary_monitor();
    // Same, but a missing record is a platform::platform_error.
    static monitor& primary_monitor();

    // GLFW notification functions, installed per window by window::open.
    static void window_pos_callback(GLFWwindow* handle, int x, int y);
    static void window_size_callback(GLFWwindow* handle, int width, int height);
    static void framebuffer_size_callback(GLFWwindow* handle, int width, int height);
    static void window_close_callback(GLFWwindow* handle);
    static void window_refresh_callback(GLFWwindow* handle);
    static void window_focus_callback(GLFWwindow* handle, int focused);
    static void window_iconify_callback(GLFWwindow* handle, int iconified);
    static void cursor_pos_callback(GLFWwindow* handle, double x, double y);
    static void mouse_button_callback(GLFWwindow* handle, int button, int action, int mods);
    static void scroll_callback(GLFWwindow* handle, double x_offset, double y_offset);
    static void key_callback(GLFWwindow* handle, int key, int scancode, int action, int mods);

    // GLFW's error reports and the driver's GL_ARB_debug_output messages, turned into log records.
    // The debug callback's parameters are GLenum, GLenum, GLuint, GLenum, GLsizei, const GLchar*.
    static void error_callback(int code, const char* description);
    static void debug_callback(unsigned int source, unsigned int type, unsigned int id, unsigned int severity,
                               int length, const char* message, const void* user);

    static core_module* core;
    static bool initialized;
    // Counts successful GLFW starts: GLFW unloads the GL library when it terminates, so OpenGL entry
    // points resolved in one GLFW session are stale in the next.
    static std::uint32_t session;
    static std::list<platform::window> windows;
    static std::list<monitor> monitors;
    static google::dense_hash_map<GLFWwindow*, platform::window*> window_registry;
    static google::dense_hash_map<GLFWmonitor*, monitor*> monitor_registry;
};
