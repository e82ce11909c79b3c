#pragma once
// Normals for the corners a model file gives none.

#include "model/model_vertex.hpp"

#include <cstddef>
#include <cstdint>
#include <vector>

// From triangle `first_triangle` on, faces are smooth or flat ("s off") until the next run starts.
struct smoothing_run {
    std::size_t first_triangle = 0;
    bool smooth = true;
};

// Sets the normal of every vertex in `missing`. Vertices are unshared (triangle i holds vertices 3i to
// 3i + 2) and position_of[v] is the index of vertex v's position in the file. A smooth triangle's corner
// gets the area-weighted mean of the normals of the smooth triangles using its position, a flat one the
// normal of its own triangle; a corner without any area around it gets (0, 0, 0).
void compute_normals(std::vector<model_vertex>& vertices, const std::vector<std::uint32_t>& position_of,
                     std::size_t position_count, const std::vector<smoothing_run>& runs,
                     const std::vector<std::uint32_t>& missing);
