#include "acts/chunk_culling.hpp"

#include <glm/ext/matrix_clip_space.hpp>

#include <gtest/gtest.h>

#include <cstdint>

namespace {

TEST(ChunkCulling, BoxIsOutsideOnlyWhenWhollyBeyondOneClipPlane) {
    // Camera at the origin looking down -z, 90 degrees, near 0.1, far 10.
    const glm::mat4 to_clip = glm::perspective(glm::radians(90.0f), 1.0f, 0.1f, 10.0f);
    const auto outside = [&](glm::vec3 low, glm::vec3 high) { return box_outside_view(to_clip, low, high); };

    EXPECT_FALSE(outside({-1, -1, -5}, {1, 1, -4}));     // in front
    EXPECT_FALSE(outside({-100, -1, -5}, {100, 1, -4})); // wider than the view on both sides
    EXPECT_FALSE(outside({4.9f, 0, -5}, {6, 1, -5}));    // touching the right plane (x = -z)
    EXPECT_TRUE(outside({5.1f, 0, -5}, {6, 1, -5}));     // just right of it
    EXPECT_TRUE(outside({-1, -1, 1}, {1, 1, 2}));        // behind the camera
    EXPECT_TRUE(outside({-1, -1, -20}, {1, 1, -11}));    // beyond the far plane
    EXPECT_FALSE(outside({-1, -1, -20}, {1, 1, -9}));    // across it
    // Outside the left plane at one end and the right one at the other, but crossing the view.
    EXPECT_FALSE(outside({-30, -1, -5.1f}, {30, 1, -4.9f}));
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
