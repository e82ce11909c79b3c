#pragma once

#include <GLFW/glfw3.h>
#include <glm/vec2.hpp>

#include <string>
#include <vector>

// A snapshot of one monitor as GLFW reported it when the platform came up. Records are values;
// two records are the same monitor when their handles are equal.
class monitor {
public:
    // Queries GLFW for every field; throws platform::platform_error prefixed "monitor::monitor(): ".
    explicit monitor(GLFWmonitor* handle);

    bool operator==(const monitor& other) const { return handle == other.handle; }

    GLFWmonitor* handle;
    std::string name;
    GLFWvidmode current_mode;
    std::vector<GLFWvidmode> modes;
    glm::ivec2 position;
    // Width and height of the display area in millimetres.
    glm::ivec2 physical_size;
};
