#include "model/vertex_weld.hpp"

#include <gtest/gtest.h>

#include <cstring>
#include <vector>

namespace {

model_vertex vertex(float x, float y, float u) {
    return model_vertex{{x, y, 0.0f}, {0.0f, 0.0f, 1.0f}, {u, 0.0f}};
}

bool same_bits(const model_vertex& a, const model_vertex& b) {
    return std::memcmp(&a, &b, sizeof(model_vertex)) == 0;
}

TEST(VertexWeld, MergesOnlyBitIdenticalVerticesAndKeepsEveryTriangle) {
    // Two triangles sharing an edge, written out unshared as the loader does; the third triangle's
    // corners differ from the first's only by a texture coordinate or by the sign of a zero.
    const std::vector<model_vertex> vertices{vertex(0, 0, 0),    vertex(1, 0, 0),     vertex(0, 1, 0), //
                                             vertex(1, 0, 0),    vertex(1, 1, 0),     vertex(0, 1, 0), //
                                             vertex(0, 0, 0.5f), vertex(-0.0f, 0, 0), vertex(0, 1, 0)};
    const std::vector<triangle> triangles{{{0, 1, 2}}, {{3, 4, 5}}, {{6, 7, 8}}, {{2, 1, 0}}};

    const welded_mesh mesh = weld_vertices(vertices, triangles);

    EXPECT_EQ(mesh.vertices.size(), 6u);
    EXPECT_EQ(mesh.indices, (std::vector<std::uint32_t>{0, 1, 2, 1, 3, 2, 4, 5, 2, 2, 1, 0}));
    ASSERT_EQ(mesh.indices.size(), 3 * triangles.size());
    for (std::size_t k = 0; k < mesh.indices.size(); ++k)
        EXPECT_TRUE(same_bits(mesh.vertices[mesh.indices[k]], vertices[triangles[k / 3].indices[k % 3]]))
            << k;
}

} // namespace
