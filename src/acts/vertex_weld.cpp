#include "acts/vertex_weld.hpp"

#include <cstring>
#include <string_view>
#include <unordered_map>

namespace {

std::string_view bytes_of(const model_vertex& v) {
    return {reinterpret_cast<const char*>(&v), sizeof(model_vertex)};
}

} // namespace

welded_mesh weld_vertices(std::span<const model_vertex> vertices, std::span<const triangle> triangles) {
    welded_mesh mesh;
    mesh.indices.reserve(3 * triangles.size());
    // Keys view the input's bytes, which outlive the map.
    std::unordered_map<std::string_view, std::uint32_t> first_seen;
    first_seen.reserve(vertices.size());
    std::vector<std::uint32_t> new_index(vertices.size());
    for (std::size_t i = 0; i < vertices.size(); ++i) {
        const auto [at, inserted] =
            first_seen.try_emplace(bytes_of(vertices[i]), static_cast<std::uint32_t>(mesh.vertices.size()));
        if (inserted) mesh.vertices.push_back(vertices[i]);
        new_index[i] = at->second;
    }
    for (const triangle& tri : triangles)
        for (const std::uint32_t index : tri.indices)
            mesh.indices.push_back(new_index.at(index));
    return mesh;
}
