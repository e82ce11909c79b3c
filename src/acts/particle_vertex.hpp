#pragma once

#include <glm/vec3.hpp>

#include <cstddef>
#include <type_traits>

// One particle as the particle pass reads it: a point that the geometry stage turns into a sprite.
struct particle_vertex {
    glm::vec3 position;
    float texture_index;
    float brightness;
    float particle_size;
};

static_assert(sizeof(particle_vertex) == 24);
static_assert(std::is_standard_layout_v<particle_vertex>);
static_assert(offsetof(particle_vertex, texture_index) == 12);
static_assert(offsetof(particle_vertex, brightness) == 16);
static_assert(offsetof(particle_vertex, particle_size) == 20);
