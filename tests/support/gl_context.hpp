#pragma once
// A small hidden GLFW window with an OpenGL 3.3 core context, current on the calling thread, and the
// entry-point table loaded. For tests of the GL layer that do not exercise platform::window itself.
// Needs a display (see xvfb.hpp).

struct GLFWwindow;

namespace test_support {

class gl_context {
public:
    explicit gl_context(int width = 64, int height = 64);
    ~gl_context();
    gl_context(const gl_context&) = delete;
    gl_context& operator=(const gl_context&) = delete;

    GLFWwindow* window() const { return handle; }

private:
    GLFWwindow* handle = nullptr;
};

// glGetError() drained into one value: GL_NO_ERROR (0) when nothing went wrong.
unsigned gl_error();

} // namespace test_support
