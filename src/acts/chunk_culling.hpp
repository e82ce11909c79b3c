#pragma once
// Drawing only the parts of a model that can reach the picture: the chunks whose boxes lie wholly outside
// the clip volume are left out of the draw. Such a chunk's triangles would be clipped away entirely, so
// every pixel stays exactly as it is when the whole model is drawn. This relies on the vertex stage
// placing each vertex at view_to_clip * model_to_view * position, as the scene's shaders do.

#include <glm/mat4x4.hpp>
#include <glm/vec3.hpp>

#include <cstddef>
#include <vector>

// True when every corner of the box lies outside one and the same clip plane under `to_clip`, with a
// margin for the rounding of the vertex stage's single-precision arithmetic.
bool box_outside_view(const glm::mat4& to_clip, const glm::vec3& low, const glm::vec3& high);

// The index ranges of one multi-draw: counts and byte offsets into a GL_UNSIGNED_INT index buffer.
struct draw_ranges {
    std::vector<int> counts;
    std::vector<const void*> offsets;
    std::vector<int> base_vertices; // all 0: the draws index the whole vertex buffer

    // Appends the indices [first_index, first_index + index_count), extending the last range when it
    // ends where this one starts.
    void add(std::size_t first_index, std::size_t index_count);
    bool empty() const { return counts.empty(); }
};
