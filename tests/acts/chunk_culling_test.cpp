#include "acts/chunk_culling.hpp"

#include "support/temp_dir.hpp"

#include <glm/ext/matrix_clip_space.hpp>
#include <glm/ext/matrix_transform.hpp>

#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <string>

namespace {

TEST(ChunkCulling, BoxIsOutsideOnlyWhenWhollyBeyondOneClipPlane) {
    // Camera at the origin looking down -z, 90 degrees, near 0.1, far 10.
    const glm::mat4 to_clip = glm::perspective(glm::radians(90.0f), 1.0f, 0.1f, 10.0f);
    const auto outside = [&](glm::vec3 low, glm::vec3 high) {
        return box_outside_view(to_clip, glm::mat4(1.0f), low, high);
    };

    EXPECT_FALSE(outside({-1, -1, -5}, {1, 1, -4}));     // in front
    EXPECT_FALSE(outside({-100, -1, -5}, {100, 1, -4})); // wider than the view on both sides
    EXPECT_FALSE(outside({4.9f, 0, -5}, {6, 1, -5}));    // touching the right plane (x = -z)
    EXPECT_TRUE(outside({5.1f, 0, -5}, {6, 1, -5}));     // just right of it
    EXPECT_TRUE(outside({-1, -1, 1}, {1, 1, 2}));        // behind the camera
    EXPECT_TRUE(outside({-1, -1, -20}, {1, 1, -11}));    // beyond the far plane
    EXPECT_FALSE(outside({-1, -1, -20}, {1, 1, -9}));    // across it
    // Outside the left plane at one end and the right one at the other, but crossing the view.
    EXPECT_FALSE(outside({-30, -1, -5.1f}, {30, 1, -4.9f}));
    // A corner that is not a number may be anywhere.
    EXPECT_FALSE(outside({-1, -1, 1}, {std::nanf(""), 1, 2}));
}

TEST(ChunkCulling, TheMarginGrowsWithTheTermsNotTheResult) {
    const glm::mat4 to_clip = glm::perspective(glm::radians(90.0f), 1.0f, 0.1f, 10.0f);
    // A model placed 100,000 units away and a view that takes it back: view z = z - 100000, computed
    // from terms of 1e5, where single precision is off by up to about 0.01.
    const glm::mat4 to_view = glm::translate(glm::mat4(1.0f), glm::vec3(0, 0, -100000));
    const auto outside = [&](float near_side) {
        return box_outside_view(to_clip, to_view, {-1, -1, 100000.0f - near_side}, {1, 1, 100000.0f - 0.05f});
    };
    // Between the camera and the near plane (view z -0.1) by 0.04: within what the terms may be off.
    EXPECT_FALSE(outside(0.06f));
    // Right in front of the camera, wholly: culled whatever the rounding.
    EXPECT_TRUE(box_outside_view(to_clip, to_view, {-1, -1, 100001.0f}, {1, 1, 100002.0f}));
    EXPECT_FALSE(outside(0.2f)) << "across the near plane";
}

TEST(ChunkCulling, OnlyTheStockVertexShaderIsMirrored) {
    const std::string stock = test_support::read_file(std::string(ENGINE_SOURCE_DIR) + "/shaders/cube.vert");
    EXPECT_TRUE(culling_mirrors(stock))
        << "shaders/cube.vert changed: check that box_outside_view mirrors its "
           "transform, then update stock_vertex_shader_hash";
    std::string mirrored = stock;
    const std::size_t at = mirrored.find("vec4(attribute_position, 1.0)");
    ASSERT_NE(at, std::string::npos);
    mirrored.replace(at, 29, "vec4(-attribute_position.x, attribute_position.yz, 1.0)");
    EXPECT_FALSE(culling_mirrors(mirrored));
    EXPECT_FALSE(culling_mirrors(stock + " "));
}

TEST(ChunkCulling, DrawRangesJoinContiguousRuns) {
    draw_ranges ranges;
    ranges.add(0, 6);
    ranges.add(6, 3);  // continues the first
    ranges.add(12, 3); // after a gap
    ASSERT_EQ(ranges.counts, (std::vector<int>{9, 3}));
    EXPECT_EQ(ranges.offsets[0], nullptr);
    EXPECT_EQ(reinterpret_cast<std::uintptr_t>(ranges.offsets[1]), 12 * sizeof(std::uint32_t));
    EXPECT_EQ(ranges.base_vertices, (std::vector<int>{0, 0}));
}

} // namespace
