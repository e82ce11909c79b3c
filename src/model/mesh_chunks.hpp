#pragma once

#include "model/model_vertex.hpp"
#include "model/obj_model.hpp"

#include <glm/vec3.hpp>

#include <cstddef>
#include <span>
#include <vector>

// A run of consecutive triangles of one material group and the box around their corners.
struct mesh_chunk {
    std::size_t first_triangle = 0;
    std::size_t triangle_count = 0;
    std::size_t group = 0; // index into the groups it was cut from
    glm::vec3 low{0.0f};
    glm::vec3 high{0.0f};
};

// Where a run ends: at `max_triangles`, or before a triangle that would stretch its box beyond
// `max_extent` along any axis (a single triangle may exceed it).
struct chunk_limits {
    std::size_t max_triangles = 256;
    float max_extent = 3.0f;
};

// Cuts every group into runs in the triangles' order, so that drawing the visible runs in order draws
// the same triangles in the same order as the whole model, less the ones left out. Exporters write a
// model object by object, so consecutive triangles mostly lie close together and the boxes stay small.
std::vector<mesh_chunk> chunk_triangles(std::span<const model_vertex> vertices,
                                        std::span<const triangle> triangles,
                                        std::span<const model_group> groups, chunk_limits limits = {});
