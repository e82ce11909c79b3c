#pragma once

#include <glm/vec2.hpp>
#include <glm/vec3.hpp>

#include <array>
#include <cstddef>
#include <cstdint>
#include <type_traits>

// One vertex of a model as the vertex buffer holds it: position, normal, texture coordinate.
struct model_vertex {
    glm::vec3 position;
    glm::vec3 normal;
    glm::vec2 uv;
};

static_assert(sizeof(model_vertex) == 32);
static_assert(std::is_standard_layout_v<model_vertex>);
static_assert(offsetof(model_vertex, normal) == 12);
static_assert(offsetof(model_vertex, uv) == 24);

// Three indices into a model's vertices.
struct triangle {
    std::array<std::uint32_t, 3> indices;
};

static_assert(sizeof(triangle) == 12);
