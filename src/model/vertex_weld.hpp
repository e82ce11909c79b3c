#pragma once

#include "model/model_vertex.hpp"

#include <cstdint>
#include <span>
#include <vector>

// A mesh whose vertices are all different: the loader writes three vertices per triangle, most of them
// repeated by the neighbouring triangles, and every repeat costs a pass through the vertex shader.
struct welded_mesh {
    std::vector<model_vertex> vertices;
    std::vector<std::uint32_t> indices; // three per triangle, in the triangles' order
};

// Merges vertices that are identical bit for bit (so 0.0 and -0.0 stay apart and every vertex the
// shader sees is exactly one it saw before), keeping the first appearance's place in the order.
welded_mesh weld_vertices(std::span<const model_vertex> vertices, std::span<const triangle> triangles);
