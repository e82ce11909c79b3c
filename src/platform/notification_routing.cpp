// GLFW's per-window notifications, routed through the window registry: window notifications update the
// window's tracked state and then reach its event handler, input notifications go to the input manager.
// A handle that is not registered (a window GLFW still reports after it was closed) is ignored.

#include "platform/display_manager.hpp"
#include "platform/input_manager.hpp"

#include <GLFW/glfw3.h>

namespace {

void deliver(platform::window& window, platform::window::event e) {
    if (window.event_handler) window.event_handler(window, e);
}

} // namespace

void display_manager::window_pos_callback(GLFWwindow* handle, int x, int y) {
    platform::window* window = find_window(handle);
    if (window == nullptr) return;
    window->position = {x, y};
    deliver(*window, platform::window::event::move);
}

void display_manager::window_size_callback(GLFWwindow* handle, int width, int height) {
    platform::window* window = find_window(handle);
    if (window == nullptr) return;
    window->size = {width, height};
    deliver(*window, platform::window::event::resize);
}

void display_manager::framebuffer_size_callback(GLFWwindow* handle, int width, int height) {
    platform::window* window = find_window(handle);
    if (window == nullptr) return;
    window->framebuffer_size = {width, height};
    deliver(*window, platform::window::event::fb_resize);
}

void display_manager::window_close_callback(GLFWwindow* handle) {
    platform::window* window = find_window(handle);
    if (window == nullptr) return;
    deliver(*window, platform::window::event::close);
}

void display_manager::window_refresh_callback(GLFWwindow* handle) {
    platform::window* window = find_window(handle);
    if (window == nullptr) return;
    deliver(*window, platform::window::event::refresh);
}

void display_manager::window_focus_callback(GLFWwindow* handle, int focused) {
    platform::window* window = find_window(handle);
    if (window == nullptr) return;
    window->focused = focused == GLFW_TRUE;
    deliver(*window, platform::window::event::focus);
}

void display_manager::window_iconify_callback(GLFWwindow* handle, int iconified) {
    platform::window* window = find_window(handle);
    if (window == nullptr) return;
    window->iconified = iconified == GLFW_TRUE;
    deliver(*window, platform::window::event::iconify);
}

void display_manager::cursor_pos_callback(GLFWwindow* handle, double x, double y) {
    if (platform::window* window = find_window(handle)) platform::input_manager::on_cursor_pos(*window, x, y);
}

void display_manager::mouse_button_callback(GLFWwindow* handle, int button, int action, int mods) {
    if (platform::window* window = find_window(handle))
        platform::input_manager::on_mouse_button(*window, button, action, mods);
}

void display_manager::scroll_callback(GLFWwindow* handle, double x_offset, double y_offset) {
    if (platform::window* window = find_window(handle))
        platform::input_manager::on_scroll(*window, x_offset, y_offset);
}

void display_manager::key_callback(GLFWwindow* handle, int key, int scancode, int action, int mods) {
    if (platform::window* window = find_window(handle))
        platform::input_manager::on_key(*window, key, scancode, action, mods);
}
