#include "platform/input_manager.hpp"

#include <GLFW/glfw3.h>

namespace platform {

core_module* input_manager::core = nullptr;
glm::dvec2 input_manager::cursor_position{0.0, 0.0};
glm::dvec2 input_manager::cursor_delta{0.0, 0.0};
glm::dvec2 input_manager::scroll_offset{0.0, 0.0};
glm::dvec2 input_manager::scroll_total{0.0, 0.0};
std::function<void(window&, input_manager::input_event)> input_manager::input_handler;

input_manager::input_manager(core_module* owner_core) {
    core = owner_core;
}

void input_manager::poll_events() {
    glfwPollEvents();
}

void input_manager::wait_events() {
    glfwWaitEvents();
}

void input_manager::wait_events(double seconds) {
    glfwWaitEventsTimeout(seconds);
}

void input_manager::on_cursor_pos(window& source, double x, double y) {
    const glm::dvec2 position{x, y};
    cursor_delta = position - cursor_position;
    cursor_position = position;
    if (input_handler) input_handler(source, input_event{input_type::cursor_move, -1, -1});
}

void input_manager::on_mouse_button(window& source, std::int32_t button, std::int32_t action,
                                    std::int32_t mods) {
    if (!input_handler) return;
    if (action == GLFW_PRESS)
        input_handler(source, input_event{input_type::button_press, button, mods});
    else if (action == GLFW_RELEASE)
        input_handler(source, input_event{input_type::button_release, button, mods});
}

void input_manager::on_scroll(window& source, double x_offset, double y_offset) {
    scroll_offset = {x_offset, y_offset};
    scroll_total += scroll_offset;
    if (input_handler) input_handler(source, input_event{input_type::scroll, -1, -1});
}

void input_manager::on_key(window& source, std::int32_t key, std::int32_t /*scancode*/, std::int32_t action,
                           std::int32_t mods) {
    if (!input_handler) return;
    // Repeats of a held key are not events of their own.
    if (action == GLFW_PRESS)
        input_handler(source, input_event{input_type::key_press, key, mods});
    else if (action == GLFW_RELEASE)
        input_handler(source, input_event{input_type::key_release, key, mods});
}

} // namespace platform
