#include "model/mesh_chunks.hpp"

#include <glm/vector_relational.hpp>

#include <gtest/gtest.h>

#include <vector>

namespace {

// A strip of unit triangles along x, one every `step` units, in two material groups.
struct strip {
    std::vector<model_vertex> vertices;
    std::vector<triangle> triangles;
    std::vector<model_group> groups;
};

strip make_strip(int count, float step, std::size_t first_group_size) {
    strip s;
    for (int i = 0; i < count; ++i) {
        const float x = step * static_cast<float>(i);
        const auto base = static_cast<std::uint32_t>(s.vertices.size());
        for (const glm::vec3 p : {glm::vec3(x, 0, 0), glm::vec3(x + 1, 0, 0), glm::vec3(x, 1, 0)})
            s.vertices.push_back(model_vertex{p, {0, 0, 1}, {0, 0}});
        s.triangles.push_back({{base, base + 1, base + 2}});
    }
    s.groups = {{0, first_group_size, 0}, {first_group_size, count - first_group_size, 1}};
    return s;
}

TEST(MeshChunks, RunsCoverEveryTriangleInOrderWithinGroupsAndLimits) {
    const strip s = make_strip(40, 0.5f, 25);
    const std::vector<mesh_chunk> chunks = chunk_triangles(s.vertices, s.triangles, s.groups, {8, 3.0f});

    std::size_t next = 0;
    for (const mesh_chunk& c : chunks) {
        EXPECT_EQ(c.first_triangle, next);
        next += c.triangle_count;
        const model_group& g = s.groups.at(c.group);
        EXPECT_GE(c.first_triangle, g.first_triangle);
        EXPECT_LE(c.first_triangle + c.triangle_count, g.first_triangle + g.triangle_count);
        EXPECT_LE(c.triangle_count, 8u);
        EXPECT_LE(c.high.x - c.low.x, 3.0f);
        for (std::size_t t = c.first_triangle; t < c.first_triangle + c.triangle_count; ++t)
            for (const std::uint32_t i : s.triangles[t].indices) {
                const glm::vec3 p = s.vertices[i].position;
                EXPECT_TRUE(glm::all(glm::greaterThanEqual(p, c.low)) &&
                            glm::all(glm::lessThanEqual(p, c.high)));
            }
    }
    EXPECT_EQ(next, s.triangles.size());
    // A box of at most 3 units holds 5 of these triangles (x from 0 to 3 at steps of 0.5, each 1 wide);
    // group 0's 25 make 5 runs, group 1's 15 make 3.
    EXPECT_EQ(chunks.size(), 8u);

    // Triangles all in one place: the count alone ends the runs, at exactly 8.
    const strip heap = make_strip(20, 0.0f, 20);
    std::vector<std::size_t> counts;
    for (const mesh_chunk& c : chunk_triangles(heap.vertices, heap.triangles, heap.groups, {8, 3.0f}))
        counts.push_back(c.triangle_count);
    EXPECT_EQ(counts, (std::vector<std::size_t>{8, 8, 4}));
}

} // namespace
