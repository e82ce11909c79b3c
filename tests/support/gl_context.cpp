#include "support/gl_context.hpp"

#include "platform/gl_api.hpp"

#include <GLFW/glfw3.h>

#include <stdexcept>

namespace test_support {

gl_context::gl_context(int width, int height) {
    if (glfwInit() != GLFW_TRUE) throw std::runtime_error("gl_context: glfwInit failed");
    glfwDefaultWindowHints();
    glfwWindowHint(GLFW_CONTEXT_VERSION_MAJOR, 3);
    glfwWindowHint(GLFW_CONTEXT_VERSION_MINOR, 3);
    glfwWindowHint(GLFW_OPENGL_PROFILE, GLFW_OPENGL_CORE_PROFILE);
    glfwWindowHint(GLFW_VISIBLE, GLFW_FALSE);
    handle = glfwCreateWindow(width, height, "test", nullptr, nullptr);
    if (handle == nullptr) {
        glfwTerminate();
        throw std::runtime_error("gl_context: no OpenGL 3.3 core context");
    }
    glfwMakeContextCurrent(handle);
    glapi::load(glfwGetProcAddress, glfwExtensionSupported("GL_ARB_debug_output") == GLFW_TRUE);
}

gl_context::~gl_context() {
    glfwMakeContextCurrent(nullptr);
    glfwDestroyWindow(handle);
    glfwTerminate();
}

unsigned gl_error() {
    unsigned first = GL_NO_ERROR;
    for (GLenum e = glapi::glGetError(); e != GL_NO_ERROR; e = glapi::glGetError()) {
        if (first == GL_NO_ERROR) first = e;
    }
    return first;
}

} // namespace test_support
