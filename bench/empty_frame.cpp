// The floor under every frame of the demo: a 1280x720 window with the demo's context and swap interval
// that only clears and swaps, until it is asked to close.

#include "platform/gl_api.hpp"

#include <GLFW/glfw3.h>

#include <cstdio>

int main() {
    if (!glfwInit()) return 1;
    glfwWindowHint(GLFW_CONTEXT_VERSION_MAJOR, 3);
    glfwWindowHint(GLFW_CONTEXT_VERSION_MINOR, 3);
    glfwWindowHint(GLFW_OPENGL_PROFILE, GLFW_OPENGL_CORE_PROFILE);
    glfwWindowHint(GLFW_RESIZABLE, 0);
    GLFWwindow* window = glfwCreateWindow(1280, 720, "empty frame", nullptr, nullptr);
    if (!window) {
        std::fprintf(stderr, "empty_frame: no window\n");
        glfwTerminate();
        return 1;
    }
    glfwMakeContextCurrent(window);
    glfwSwapInterval(1);
    glapi::load(glfwGetProcAddress, false);
    glapi::glClearColor(0.4f, 0.4f, 0.4f, 1.0f);
    while (!glfwWindowShouldClose(window)) {
        glfwPollEvents();
        glapi::glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
        glfwSwapBuffers(window);
    }
    glfwDestroyWindow(window);
    glfwTerminate();
    return 0;
}
