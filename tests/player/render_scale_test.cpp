// The render scale's rule on made-up frame times (binary fractions of a second, so that they add up to
// whole seconds exactly): no clock and no GL.

#include "player/render_scale.hpp"

#include <gtest/gtest.h>

#include <vector>

namespace {

// Feeds `count` frames of `seconds` each; returns the indices of the frames after which the scale changed.
std::vector<int> play(render_scale& scale, double seconds, int count) {
    std::vector<int> changed;
    for (int i = 0; i < count; ++i) {
        const double before = scale.value();
        if (scale.frame_took(seconds) != (scale.value() != before)) ADD_FAILURE() << "frame_took's result";
        if (scale.value() != before) changed.push_back(i);
    }
    return changed;
}

TEST(RenderScale, AcceptsAutoAndNumbersFromHalfToOne) {
    ASSERT_TRUE(render_scale::parse("auto"));
    EXPECT_TRUE(render_scale::parse("auto")->automatic());
    EXPECT_EQ(render_scale::parse("auto")->value(), 1.0);
    EXPECT_EQ(render_scale::parse("0.5")->value(), 0.5);
    EXPECT_EQ(render_scale::parse("0.75")->value(), 0.75);
    EXPECT_FALSE(render_scale::parse("1")->automatic());
    for (const char* bad : {"0.2", "0.49", "1.01", "-1", "", "half", "0.5x", "nan", "Auto"})
        EXPECT_FALSE(render_scale::parse(bad)) << bad;
    EXPECT_EQ(render_scale::scaled_side(1280, 0.5), 640);
    EXPECT_EQ(render_scale::scaled_side(720, 0.66), 475);
    EXPECT_EQ(render_scale::scaled_side(1, 0.5), 1);
}

TEST(RenderScale, AutoLowersForSlowFramesOnceASecondAndNotBelowHalf) {
    render_scale scale = *render_scale::parse("auto");
    // 31.25 ms frames, 32 to a second: 1, then 0.730, 0.533 and 0.5.
    EXPECT_EQ(play(scale, 1.0 / 32, 10 * 32), (std::vector<int>{31, 63, 95}));
    EXPECT_EQ(scale.value(), render_scale::lowest);
    EXPECT_TRUE(play(scale, 1.0 / 4, 20).empty()) << "0.5 however slow";
}

TEST(RenderScale, AutoRaisesForFastFramesInStepsToOneAndHoldsNearTheGoal) {
    render_scale scale = *render_scale::parse("auto");
    play(scale, 1.0 / 4, 20);
    ASSERT_EQ(scale.value(), render_scale::lowest);
    // 3.9 ms frames, 256 to a second.
    EXPECT_EQ(play(scale, 1.0 / 256, 8 * 256), (std::vector<int>{255, 511, 767, 1023}));
    EXPECT_EQ(scale.value(), 1.0);

    // 15.6 ms frames are within the goal, but not so far within it that more pixels would fit.
    scale = *render_scale::parse("auto");
    play(scale, 1.0 / 32, 32);
    EXPECT_LT(scale.value(), 1.0);
    EXPECT_TRUE(play(scale, 1.0 / 64, 5 * 64).empty());

    render_scale fixed = *render_scale::parse("0.75");
    EXPECT_TRUE(play(fixed, 1.0 / 4, 20).empty());
    EXPECT_EQ(fixed.value(), 0.75);
}

} // namespace
