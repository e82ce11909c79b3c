#pragma once

#include <glm/vec2.hpp>
#include <sparsehash/dense_hash_map>

#include <cstdint>
#include <functional>
#include <string>

class display_manager;
class monitor;
struct GLFWwindow;

namespace platform {

// One GLFW window with its OpenGL context. Created closed by display_manager::create_window and never
// copied or moved afterwards: the display manager and GLFW refer to it by address.
class window {
public:
    enum class event : std::int32_t { close, move, resize, fb_resize, iconify, focus, refresh };
    // "window::event::close" and so on.
    static const char* event_name(event e);

    explicit window(display_manager& owner);
    ~window();
    window(const window&) = delete;
    window& operator=(const window&) = delete;

    // Creates the GLFW window with the stored hints and title; -1 in a component of size_request takes
    // that component from `size`. A null monitor opens a windowed window, a null share shares nothing.
    // Leaves no context current. Throws platform_error when the window is already open or GLFW refuses.
    void open(glm::ivec2 size_request, const monitor* full_screen_on, const window* share);
    void close();

    void restore();
    void minimize();
    void show();
    void hide();
    void bind_context();
    void swap_buffers();
    // Sets the interval for this window's context and leaves the previously current context current.
    void swap_interval(std::int32_t interval);
    bool should_close() const;
    void should_close(bool flag);
    void move_to(const glm::ivec2& new_position);
    void resize(const glm::ivec2& new_size);
    // Shows `text` as the window's title and keeps it in `title`.
    void set_title(const std::string& text);

    // Stored hints take effect at the next open. Id 0 and INT32_MIN are not GLFW hints and are refused.
    void hint(std::int32_t id, std::int32_t value);
    // The stored value; invalid_argument for an id that was never stored.
    std::int32_t hint(std::int32_t id) const;
    void default_hints();

    display_manager* owner;
    GLFWwindow* handle = nullptr;
    glm::ivec2 position{0, 0};
    glm::ivec2 size{0, 0};
    glm::ivec2 framebuffer_size{0, 0};
    bool closed = true;
    bool focused = true;
    bool iconified = false;
    std::string title = "[window title]";
    google::dense_hash_map<std::int32_t, std::int32_t> hints;
    std::function<void(window&, event)> event_handler;

private:
    // Throws "window::<operation>(): Window hasn't been opened." when there is no GLFW window.
    void require_open(const char* operation) const;
};

} // namespace platform
