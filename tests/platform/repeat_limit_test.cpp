#include "platform/repeat_limit.hpp"

#include <gtest/gtest.h>

namespace {

using verdict = platform::repeat_limit::verdict;

TEST(RepeatLimit, EachTextPassesUpToTheLimitThenIsDropped) {
    platform::repeat_limit limit(3);
    EXPECT_EQ(limit.count("a"), verdict::pass);
    EXPECT_EQ(limit.count("b"), verdict::pass);
    EXPECT_EQ(limit.count("a"), verdict::pass);
    EXPECT_EQ(limit.count("a"), verdict::pass_last);
    for (int i = 0; i < 1000; ++i) EXPECT_EQ(limit.count("a"), verdict::drop);
    EXPECT_EQ(limit.count("b"), verdict::pass);
    EXPECT_EQ(limit.count("b"), verdict::pass_last);
}

TEST(RepeatLimit, TextsBeyondTheTrackedOnesAlwaysPass) {
    platform::repeat_limit limit(1, 2);
    EXPECT_EQ(limit.count("a"), verdict::pass_last);
    EXPECT_EQ(limit.count("b"), verdict::pass_last);
    for (int i = 0; i < 5; ++i) EXPECT_EQ(limit.count("c"), verdict::pass);
    EXPECT_EQ(limit.count("a"), verdict::drop);
}

} // namespace
