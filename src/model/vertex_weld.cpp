#include "model/vertex_weld.hpp"

#include <algorithm>
#include <cstring>
#include <numeric>

namespace {

int compare_bytes(const model_vertex& a, const model_vertex& b) {
    return std::memcmp(&a, &b, sizeof(model_vertex));
}

} // namespace

welded_mesh weld_vertices(std::span<const model_vertex> vertices, std::span<const triangle> triangles) {
    // Sorting indices rather than hashing the vertices keeps the extra memory to three index lists, which
    // matters for the peak size of a program that uploads while the driver is still growing.
    std::vector<std::uint32_t> order(vertices.size());
    std::iota(order.begin(), order.end(), 0u);
    std::sort(order.begin(), order.end(), [&](std::uint32_t a, std::uint32_t b) {
        const int c = compare_bytes(vertices[a], vertices[b]);
        return c < 0 || (c == 0 && a < b);
    });
    // Each vertex points at the first appearance of its bytes.
    std::vector<std::uint32_t> first(vertices.size());
    for (std::size_t k = 0; k < order.size(); ++k) {
        const bool repeat = k > 0 && compare_bytes(vertices[order[k - 1]], vertices[order[k]]) == 0;
        first[order[k]] = repeat ? first[order[k - 1]] : order[k];
    }
    order.clear();
    order.shrink_to_fit();

    welded_mesh mesh;
    std::vector<std::uint32_t> new_index(vertices.size());
    for (std::size_t i = 0; i < vertices.size(); ++i) {
        if (first[i] == i) {
            new_index[i] = static_cast<std::uint32_t>(mesh.vertices.size());
            mesh.vertices.push_back(vertices[i]);
        } else {
            new_index[i] = new_index[first[i]];
        }
    }
    mesh.indices.reserve(3 * triangles.size());
    for (const triangle& tri : triangles)
        for (const std::uint32_t index : tri.indices)
            mesh.indices.push_back(new_index.at(index));
    return mesh;
}
