#include "model/mesh_chunks.hpp"

#include <glm/common.hpp>

#include <algorithm>

std::vector<mesh_chunk> chunk_triangles(std::span<const model_vertex> vertices,
                                        std::span<const triangle> triangles,
                                        std::span<const model_group> groups, chunk_limits limits) {
    std::vector<mesh_chunk> chunks;
    for (std::size_t g = 0; g < groups.size(); ++g) {
        const model_group& group = groups[g];
        const std::size_t end = group.first_triangle + group.triangle_count;
        mesh_chunk run;
        for (std::size_t t = group.first_triangle; t < end; ++t) {
            glm::vec3 low = vertices[triangles[t].indices[0]].position;
            glm::vec3 high = low;
            for (const std::uint32_t index : triangles[t].indices) {
                low = glm::min(low, vertices[index].position);
                high = glm::max(high, vertices[index].position);
            }
            if (run.triangle_count > 0) {
                const glm::vec3 extent = glm::max(run.high, high) - glm::min(run.low, low);
                const float longest = std::max({extent.x, extent.y, extent.z});
                if (run.triangle_count < limits.max_triangles && longest <= limits.max_extent) {
                    run.low = glm::min(run.low, low);
                    run.high = glm::max(run.high, high);
                    ++run.triangle_count;
                    continue;
                }
                chunks.push_back(run);
            }
            run = mesh_chunk{t, 1, g, low, high};
        }
        if (run.triangle_count > 0) chunks.push_back(run);
    }
    return chunks;
}
