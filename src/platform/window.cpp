#include "platform/window.hpp"

#include "core/core_module.hpp"
#include "platform/display_manager.hpp"
#include "platform/gl_api.hpp"
#include "platform/platform_error.hpp"

#include <GLFW/glfw3.h>

#include <cstdint>

namespace platform {
namespace {

constexpr std::int32_t no_hint = 0;
constexpr std::int32_t erased_hint = INT32_MIN;
// The largest entry count that still fits a 128-bucket table at sparsehash's 50% fill limit.
constexpr std::size_t hint_table_entries = 63;

// The GLFW session whose GL library the entry-point table was resolved from; 0 for none yet.
std::uint32_t entry_points_session = 0;

} // namespace

const char* window::event_name(event e) {
    switch (e) {
    case event::close:
        return "window::event::close";
    case event::move:
        return "window::event::move";
    case event::resize:
        return "window::event::resize";
    case event::fb_resize:
        return "window::event::fb_resize";
    case event::iconify:
        return "window::event::iconify";
    case event::focus:
        return "window::event::focus";
    case event::refresh:
        return "window::event::refresh";
    }
    return "<Unknown>";
}

window::window(display_manager& manager)
    : owner(&manager)
    , hints(hint_table_entries) {
    hints.set_empty_key(no_hint);
    hints.set_deleted_key(erased_hint);
}

window::~window() {
    try {
        if (!closed) close();
    } catch (...) {
        // A window that cannot be unregistered any more is simply dropped.
    }
}

void window::open(glm::ivec2 size_request, const monitor* full_screen_on, const window* share) {
    // Opening twice would leave a second GLFW window behind the first one's registration, so refuse it;
    // the caller closes the window first if it wants a new one.
    if (handle != nullptr) throw platform_error("window::open(): Window is already open.");

    glfwDefaultWindowHints();
    for (const auto& [id, value] : hints)
        glfwWindowHint(id, value);

    const int width = size_request.x == -1 ? size.x : size_request.x;
    const int height = size_request.y == -1 ? size.y : size_request.y;
    // GLFW refuses a zero size but asserts on a negative one, which would abort the process.
    if (width < 0 || height < 0) {
        throw platform_error("window::open(): Unable to open window. Invalid size " + std::to_string(width) + "x" +
                             std::to_string(height) + ".");
    }
    GLFWwindow* created = glfwCreateWindow(width, height, title.c_str(),
                                           full_screen_on != nullptr ? full_screen_on->handle : nullptr,
                                           share != nullptr ? share->handle : nullptr);
    if (created == nullptr) throw platform_error("window::open(): Unable to open window.");
    handle = created;
    closed = false;
    focused = true;
    owner->add_window(this);

    glfwSetFramebufferSizeCallback(handle, &display_manager::framebuffer_size_callback);
    glfwSetWindowCloseCallback(handle, &display_manager::window_close_callback);
    glfwSetWindowFocusCallback(handle, &display_manager::window_focus_callback);
    glfwSetWindowIconifyCallback(handle, &display_manager::window_iconify_callback);
    glfwSetWindowPosCallback(handle, &display_manager::window_pos_callback);
    glfwSetWindowRefreshCallback(handle, &display_manager::window_refresh_callback);
    glfwSetCursorPosCallback(handle, &display_manager::cursor_pos_callback);
    glfwSetMouseButtonCallback(handle, &display_manager::mouse_button_callback);
    glfwSetScrollCallback(handle, &display_manager::scroll_callback);
    glfwSetKeyCallback(handle, &display_manager::key_callback);

    glfwMakeContextCurrent(handle);
    // Once per GLFW session, which is once per process for the program: it starts GLFW once.
    if (entry_points_session != display_manager::session) {
        glapi::load(glfwGetProcAddress, glfwExtensionSupported("GL_ARB_debug_output") == GLFW_TRUE);
        entry_points_session = display_manager::session;
    }

    std::string message = "GL_ARB_debug_output supported: ";
    PFNGLDEBUGMESSAGECALLBACKARBPROC set_debug_callback = nullptr;
    if (glfwExtensionSupported("GL_ARB_debug_output") == GLFW_TRUE) {
        // The table's entry is null when it was filled under an earlier context that lacked the extension.
        set_debug_callback = glapi::glDebugMessageCallbackARB != nullptr
                                 ? glapi::glDebugMessageCallbackARB
                                 : reinterpret_cast<PFNGLDEBUGMESSAGECALLBACKARBPROC>(
                                       glfwGetProcAddress("glDebugMessageCallbackARB"));
    }
    if (set_debug_callback != nullptr) {
        message += "Yes\nDebug output enabled.";
        set_debug_callback(&display_manager::debug_callback, nullptr);
        glapi::glEnable(GL_DEBUG_OUTPUT);
        glapi::glEnable(GL_DEBUG_OUTPUT_SYNCHRONOUS_ARB);
    } else {
        message += "No";
    }
    display_manager::core->log_manager.info(message);

    glfwMakeContextCurrent(nullptr);
}

void window::close() {
    if (handle != nullptr) {
        owner->remove_window(this);
        glfwDestroyWindow(handle);
        handle = nullptr;
    }
    closed = true;
}

void window::require_open(const char* operation) const {
    if (handle == nullptr)
        throw platform_error(std::string("window::") + operation + "(): Window hasn't been opened.");
}

void window::restore() {
    require_open("restore");
    glfwRestoreWindow(handle);
}

void window::minimize() {
    require_open("minimize");
    glfwIconifyWindow(handle);
}

void window::show() {
    require_open("show");
    glfwShowWindow(handle);
}

void window::hide() {
    require_open("hide");
    glfwHideWindow(handle);
}

void window::bind_context() {
    require_open("bind_context");
    glfwMakeContextCurrent(handle);
}

void window::swap_buffers() {
    require_open("swap_buffers");
    glfwSwapBuffers(handle);
}

void window::swap_interval(std::int32_t interval) {
    require_open("swap_interval");
    GLFWwindow* previous = glfwGetCurrentContext();
    if (previous != handle) glfwMakeContextCurrent(handle);
    glfwSwapInterval(interval);
    if (previous != handle) glfwMakeContextCurrent(previous);
}

bool window::should_close() const {
    require_open("should_close");
    return glfwWindowShouldClose(handle) == GLFW_TRUE;
}

void window::should_close(bool flag) {
    require_open("should_close");
    glfwSetWindowShouldClose(handle, flag ? GLFW_TRUE : GLFW_FALSE);
}

void window::move_to(const glm::ivec2& new_position) {
    require_open("move_to");
    position = new_position;
    glfwSetWindowPos(handle, position.x, position.y);
}

void window::resize(const glm::ivec2& new_size) {
    require_open("resize");
    size = new_size;
    glfwSetWindowSize(handle, size.x, size.y);
}

void window::set_title(const std::string& text) {
    require_open("set_title");
    title = text;
    glfwSetWindowTitle(handle, title.c_str());
}

void window::hint(std::int32_t id, std::int32_t value) {
    if (id == no_hint || id == erased_hint)
        throw invalid_argument("window::hint(): Invalid hint id " + std::to_string(id) + ".");
    hints[id] = value;
}

std::int32_t window::hint(std::int32_t id) const {
    const auto found = (id == no_hint || id == erased_hint) ? hints.end() : hints.find(id);
    if (found == hints.end())
        throw invalid_argument("window::hint(): No value stored for hint " + std::to_string(id) + ".");
    return found->second;
}

void window::default_hints() {
    hints.clear_no_resize();
    glfwDefaultWindowHints();
}

} // namespace platform
