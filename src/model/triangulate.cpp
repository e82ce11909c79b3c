#include "model/triangulate.hpp"

#include <glm/geometric.hpp>
#include <glm/vec2.hpp>

#include <cmath>
#include <cstddef>

namespace {

float cross_2d(glm::vec2 a, glm::vec2 b, glm::vec2 c) {
    return (b.x - a.x) * (c.y - a.y) - (b.y - a.y) * (c.x - a.x);
}

// Whether p lies inside or on the counter-clockwise triangle abc.
bool inside(glm::vec2 p, glm::vec2 a, glm::vec2 b, glm::vec2 c) {
    return cross_2d(a, b, p) >= 0.0f && cross_2d(b, c, p) >= 0.0f && cross_2d(c, a, p) >= 0.0f;
}

// The corners in the plane that drops the normal's largest axis, turned counter-clockwise.
std::vector<glm::vec2> flatten(std::span<const glm::vec3> corners, glm::vec3 normal) {
    const glm::vec3 size = glm::abs(normal);
    int u = 0;
    int v = 1;
    float sign = normal.z;
    if (size.x >= size.y && size.x >= size.z) {
        u = 1;
        v = 2;
        sign = normal.x;
    } else if (size.y >= size.z) {
        u = 2;
        v = 0;
        sign = normal.y;
    }
    std::vector<glm::vec2> flat;
    flat.reserve(corners.size());
    for (const glm::vec3& corner : corners) {
        flat.emplace_back(corner[u], sign < 0.0f ? -corner[v] : corner[v]);
    }
    return flat;
}

// Corners on a straight edge may turn a hair the wrong way after rounding; they do not make it concave.
bool convex(const std::vector<glm::vec2>& flat) {
    const std::size_t n = flat.size();
    for (std::size_t i = 0; i < n; ++i) {
        const glm::vec2 a = flat[(i + n - 1) % n];
        const glm::vec2 b = flat[i];
        const glm::vec2 c = flat[(i + 1) % n];
        if (cross_2d(a, b, c) < -1e-5f * glm::length(b - a) * glm::length(c - b)) return false;
    }
    return true;
}

void fan(std::size_t n, std::vector<std::array<std::uint32_t, 3>>& out) {
    for (std::size_t i = 1; i + 1 < n; ++i) {
        out.push_back({0, static_cast<std::uint32_t>(i), static_cast<std::uint32_t>(i + 1)});
    }
}

// Cuts off one ear after another; when rounding leaves no ear (a self-touching outline), the rest is
// fanned so that the polygon still gives n - 2 triangles.
void clip_ears(const std::vector<glm::vec2>& flat, std::vector<std::array<std::uint32_t, 3>>& out) {
    std::vector<std::uint32_t> left(flat.size());
    for (std::size_t i = 0; i < left.size(); ++i)
        left[i] = static_cast<std::uint32_t>(i);
    std::size_t at = 0;
    std::size_t tried = 0;
    while (left.size() > 3 && tried < left.size()) {
        const std::size_t n = left.size();
        const std::uint32_t a = left[(at + n - 1) % n];
        const std::uint32_t b = left[at % n];
        const std::uint32_t c = left[(at + 1) % n];
        bool ear = cross_2d(flat[a], flat[b], flat[c]) > 0.0f;
        for (std::size_t k = 0; ear && k < n; ++k) {
            const std::uint32_t other = left[k];
            if (other == a || other == b || other == c) continue;
            if (inside(flat[other], flat[a], flat[b], flat[c])) ear = false;
        }
        if (ear) {
            out.push_back({a, b, c});
            left.erase(left.begin() + static_cast<std::ptrdiff_t>(at % n));
            tried = 0;
        } else {
            ++at;
            ++tried;
        }
        at %= left.size();
    }
    for (std::size_t i = 1; i + 1 < left.size(); ++i)
        out.push_back({left[0], left[i], left[i + 1]});
}

} // namespace

glm::vec3 polygon_normal(std::span<const glm::vec3> corners) {
    glm::vec3 normal(0.0f);
    const std::size_t n = corners.size();
    for (std::size_t i = 0; i < n; ++i) {
        const glm::vec3& a = corners[i];
        const glm::vec3& b = corners[(i + 1) % n];
        normal += glm::vec3((a.y - b.y) * (a.z + b.z), (a.z - b.z) * (a.x + b.x), (a.x - b.x) * (a.y + b.y));
    }
    return normal;
}

// Ear clipping is cubic in the corner count at worst: a crafted outline of many thousand corners would
// stall the start-up. Real concave faces have far fewer; larger ones are fanned.
constexpr std::size_t max_clipped_corners = 256;

bool triangulate_polygon(std::span<const glm::vec3> corners, std::vector<std::array<std::uint32_t, 3>>& out) {
    const glm::vec3 normal = polygon_normal(corners);
    const float length = glm::length(normal);
    if (!(length > 0.0f) || !std::isfinite(length)) return false;
    if (corners.size() > max_clipped_corners) {
        fan(corners.size(), out);
        return true;
    }
    const std::vector<glm::vec2> flat = flatten(corners, normal);
    if (convex(flat)) {
        fan(corners.size(), out);
    } else {
        clip_ears(flat, out);
    }
    return true;
}
