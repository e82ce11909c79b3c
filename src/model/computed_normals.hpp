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

// Sets the normal of every vertex in `missing`; vertices are unshared (triangle i holds vertices 3i to
// 3i + 2). A smooth triangle's corner gets the area-weighted mean of the normals of the smooth triangles
// with a corner at the same position (the same coordinates, so that positions an exporter wrote twice
// count as one), a flat one the normal of its own triangle; a corner without any area around it gets
// (0, 0, 0). Costs nothing when `missing` is empty. `positions` bounds the number of distinct positions.
void compute_normals(std::vector<model_vertex>& vertices, const std::vector<smoothing_run>& runs,
                     const std::vector<std::uint32_t>& missing, std::size_t positions);
