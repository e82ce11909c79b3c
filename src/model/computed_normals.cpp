#include "model/computed_normals.hpp"

#include <glm/geometric.hpp>

#include <algorithm>
#include <cstring>
#include <unordered_map>

namespace {

// Twice the triangle's area long.
glm::vec3 area_normal(const std::vector<model_vertex>& vertices, std::size_t triangle) {
    const glm::vec3& a = vertices[3 * triangle].position;
    const glm::vec3& b = vertices[3 * triangle + 1].position;
    const glm::vec3& c = vertices[3 * triangle + 2].position;
    return glm::cross(b - a, c - a);
}

glm::vec3 unit_or_zero(glm::vec3 v) {
    const float length = glm::length(v);
    return length > 0.0f ? v / length : glm::vec3(0.0f);
}

// Whether each triangle is smooth, walking the runs.
std::vector<bool> smooth_triangles(std::size_t triangle_count, const std::vector<smoothing_run>& runs) {
    std::vector<bool> smooth(triangle_count, true);
    for (std::size_t r = 0; r < runs.size(); ++r) {
        const std::size_t stop = r + 1 < runs.size() ? runs[r + 1].first_triangle : triangle_count;
        for (std::size_t t = runs[r].first_triangle; t < stop; ++t)
            smooth[t] = runs[r].smooth;
    }
    return smooth;
}

// Positions compared and hashed by their bits.
struct position_key {
    glm::vec3 position;
    bool operator==(const position_key& other) const {
        return std::memcmp(&position, &other.position, sizeof position) == 0;
    }
};

struct position_hash {
    std::size_t operator()(const position_key& key) const {
        std::uint32_t bits[3];
        std::memcpy(bits, &key.position, sizeof bits);
        return (std::size_t{bits[0]} * 73856093u) ^ (std::size_t{bits[1]} * 19349663u) ^
               (std::size_t{bits[2]} * 83492791u);
    }
};

} // namespace

void compute_normals(std::vector<model_vertex>& vertices, const std::vector<smoothing_run>& runs,
                     const std::vector<std::uint32_t>& missing, std::size_t positions) {
    if (missing.empty()) return;
    const std::size_t triangle_count = vertices.size() / 3;
    const std::vector<bool> smooth = smooth_triangles(triangle_count, runs);
    std::unordered_map<position_key, glm::vec3, position_hash> sums;
    sums.reserve(std::min(missing.size(), positions));
    for (const std::uint32_t v : missing) {
        if (smooth[v / 3]) sums.emplace(position_key{vertices[v].position}, glm::vec3(0.0f));
    }
    for (std::size_t t = 0; t < triangle_count; ++t) {
        if (!smooth[t]) continue;
        const glm::vec3 normal = area_normal(vertices, t);
        for (std::size_t k = 0; k < 3; ++k) {
            const auto sum = sums.find(position_key{vertices[3 * t + k].position});
            if (sum != sums.end()) sum->second += normal;
        }
    }
    for (const std::uint32_t v : missing) {
        const std::size_t t = v / 3;
        vertices[v].normal =
            unit_or_zero(smooth[t] ? sums.at(position_key{vertices[v].position}) : area_normal(vertices, t));
    }
}
