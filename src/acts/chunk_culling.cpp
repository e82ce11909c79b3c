#include "acts/chunk_culling.hpp"

#include <glm/ext/matrix_double4x4.hpp>
#include <glm/vec4.hpp>

#include <array>
#include <cmath>
#include <cstdint>

bool box_outside_view(const glm::mat4& to_clip, const glm::vec3& low, const glm::vec3& high) {
    const glm::dmat4 m(to_clip);
    std::array<glm::dvec4, 8> corners;
    for (int i = 0; i < 8; ++i) {
        const glm::dvec3 p((i & 1) ? high.x : low.x, (i & 2) ? high.y : low.y, (i & 4) ? high.z : low.z);
        corners[i] = m * glm::dvec4(p, 1.0);
    }
    // Plane k keeps the points where w + x, w - x, w + y, w - y, w + z or w - z is not negative.
    for (int plane = 0; plane < 6; ++plane) {
        const int axis = plane / 2;
        const double sign = (plane % 2 == 0) ? 1.0 : -1.0;
        bool all_outside = true;
        for (const glm::dvec4& c : corners) {
            const double inside = c.w + sign * c[axis];
            const double margin = 1e-5 * (std::abs(c.w) + std::abs(c[axis])) + 1e-6;
            if (inside >= -margin) {
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
