#pragma once

#include <glm/vec2.hpp>

#include <cstdint>
#include <functional>

class core_module;

namespace platform {

class window;

// Drives GLFW's event processing and turns the input notifications of every window into input events.
// All state is class-wide; cursor and scroll values are current by the time the handler runs.
class input_manager {
public:
    enum class input_type : std::int32_t {
        cursor_move,
        scroll,
        button_press,
        button_release,
        key_release,
        key_press
    };

    struct input_event {
        input_type type;
        // GLFW key code or mouse button; -1 for cursor and scroll events.
        std::int32_t code;
        // GLFW modifier bits; -1 for cursor and scroll events.
        std::int32_t mods;
    };

    explicit input_manager(core_module* core);

    // Delivers every pending window-system event to its handler on the calling thread.
    void poll_events();
    // Like poll_events, after sleeping until at least one event is pending.
    void wait_events();
    // Like wait_events, but returns after `seconds` at the latest.
    void wait_events(double seconds);

    static void on_cursor_pos(window& source, double x, double y);
    static void on_mouse_button(window& source, std::int32_t button, std::int32_t action, std::int32_t mods);
    static void on_scroll(window& source, double x_offset, double y_offset);
    static void on_key(window& source, std::int32_t key, std::int32_t scancode, std::int32_t action,
                       std::int32_t mods);

    static core_module* core;
    static glm::dvec2 cursor_position;
    static glm::dvec2 cursor_delta;
    static glm::dvec2 scroll_offset;
    static glm::dvec2 scroll_total;
    static std::function<void(window&, input_event)> input_handler;
};

} // namespace platform
