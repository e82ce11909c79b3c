#pragma once
// Drawing only the parts of a model that can reach the picture: the chunks whose boxes lie wholly outside
// the clip volume are left out of the draw. Such a chunk's triangles would be clipped away entirely, so
// every pixel stays exactly as it is when the whole model is drawn. This holds only while the vertex stage
// places each vertex at view_to_clip * (model_to_view * position), as the stock scene vertex shader does:
// a shader a user edits may move vertices anywhere, so culling applies to that shader's text alone.

#include <glm/mat4x4.hpp>
#include <glm/vec3.hpp>

#include <cstddef>
#include <string_view>
#include <vector>

// Whether `vertex_source` is the stock scene vertex shader (shaders/cube.vert as shipped), whose
// transform box_outside_view mirrors.
bool culling_mirrors(std::string_view vertex_source);

// True when every corner of the box lies outside one and the same clip plane under
// view_to_clip * model_to_view, by more than the vertex stage's single-precision arithmetic can be off
// for any point of the box; a corner that is not a number counts as inside.
bool box_outside_view(const glm::mat4& view_to_clip, const glm::mat4& model_to_view, const glm::vec3& low,
                      const glm::vec3& high);

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
