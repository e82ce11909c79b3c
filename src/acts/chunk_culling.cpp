#include "acts/chunk_culling.hpp"

#include <glm/common.hpp>
#include <glm/ext/matrix_double4x4.hpp>
#include <glm/vec4.hpp>

#include <algorithm>
#include <array>
#include <cmath>
#include <cstdint>
#include <limits>

namespace {

// FNV-1a over the text: the stock vertex shader's value is below.
std::uint64_t text_hash(std::string_view text) {
    std::uint64_t hash = 0xcbf29ce484222325u;
    for (const char c : text) {
        hash ^= static_cast<unsigned char>(c);
        hash *= 0x100000001b3u;
    }
    return hash;
}

// shaders/cube.vert as shipped (576 bytes). Changing that file means checking that box_outside_view still
// mirrors its transform, then updating this value (tests/acts/chunk_culling_test.cpp compares them).
constexpr std::uint64_t stock_vertex_shader_hash = 0xf3a1a4337bb9f15bu;

// How far a 4-term dot product computed in single precision may be from the exact one, relative to the
// sum of its terms' magnitudes: gamma_4 = 4u / (1 - 4u). u is the error of one operation, taken as 4 units
// in the last place (2^-22) rather than IEEE's half unit, so that a GPU's looser rounding stays within it.
constexpr double unit_error = 1.0 / (1 << 22);
constexpr double gamma_4 = 4.0 * unit_error / (1.0 - 4.0 * unit_error);

} // namespace

bool culling_mirrors(std::string_view vertex_source) {
    return text_hash(vertex_source) == stock_vertex_shader_hash;
}

// The vertex stage computes v = M p and then c = P v, each row a 4-term dot product. With S_i the sum over
// j of |P_ij| * sum over k of |M_jk| |p_k|, its c_i is within gamma_4 (2 + gamma_4) S_i of the exact value:
// gamma_4 T_j for v_j (T_j = sum |M_jk| |p_k|), carried through P, plus gamma_4 of the second product's own
// terms, which are at most (1 + gamma_4) T_j. Bounding |p_k| by the box's largest magnitude on each axis
// makes the bound hold for every point of the box, and the exact plane value w +- c is linear, so it is
// largest at a corner: when every corner lies beyond a plane by more than the bound of both terms, every
// vertex of the chunk is computed beyond it too, and its triangles are clipped away whole. The margin grows
// with the terms, not the result: far from the origin large terms may cancel to a small clip coordinate.
bool box_outside_view(const glm::mat4& view_to_clip, const glm::mat4& model_to_view, const glm::vec3& low,
                      const glm::vec3& high) {
    const glm::dmat4 projection(view_to_clip);
    const glm::dmat4 to_view(model_to_view);
    const glm::dvec4 largest(std::max(std::abs(double{low.x}), std::abs(double{high.x})),
                             std::max(std::abs(double{low.y}), std::abs(double{high.y})),
                             std::max(std::abs(double{low.z}), std::abs(double{high.z})), 1.0);
    glm::dvec4 view_terms(0.0); // T_j
    for (int k = 0; k < 4; ++k)
        view_terms += glm::abs(to_view[k]) * largest[k];
    glm::dvec4 clip_terms(0.0); // S_i
    for (int j = 0; j < 4; ++j)
        clip_terms += glm::abs(projection[j]) * view_terms[j];
    // The bound, with room for this function's own double-precision rounding and for a plane value that
    // the clipper computes as exactly zero.
    const glm::dvec4 bound = (gamma_4 * (2.0 + gamma_4) + 1e-12) * clip_terms;

    std::array<glm::dvec4, 8> corners;
    for (int i = 0; i < 8; ++i) {
        const glm::dvec3 p((i & 1) ? high.x : low.x, (i & 2) ? high.y : low.y, (i & 4) ? high.z : low.z);
        corners[i] = projection * (to_view * glm::dvec4(p, 1.0));
    }
    // Plane k keeps the points where w + x, w - x, w + y, w - y, w + z or w - z is not negative.
    for (int plane = 0; plane < 6; ++plane) {
        const int axis = plane / 2;
        const double sign = (plane % 2 == 0) ? 1.0 : -1.0;
        const double margin = bound.w + bound[axis] + static_cast<double>(std::numeric_limits<float>::min());
        bool all_outside = true;
        for (const glm::dvec4& c : corners) {
            // Written so that a NaN value or margin counts as inside.
            if (!(c.w + sign * c[axis] < -margin)) {
                all_outside = false;
                break;
            }
        }
        if (all_outside) return true;
    }
    return false;
}

void draw_ranges::add(std::size_t first_index, std::size_t index_count) {
    const std::size_t first_byte = first_index * sizeof(std::uint32_t);
    if (!counts.empty()) {
        const auto last_end = reinterpret_cast<std::uintptr_t>(offsets.back()) +
                              static_cast<std::size_t>(counts.back()) * sizeof(std::uint32_t);
        if (last_end == first_byte) {
            counts.back() += static_cast<int>(index_count);
            return;
        }
    }
    counts.push_back(static_cast<int>(index_count));
    offsets.push_back(reinterpret_cast<const void*>(first_byte));
    base_vertices.push_back(0);
}
