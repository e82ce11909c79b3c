#include "sound/sound_state.hpp"

#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <iostream>
#include <sstream>
#include <vector>

namespace {

using values4 = std::vector<double>;

// Swaps std::cout's buffer for the lifetime of the object.
class cout_capture {
public:
    cout_capture()
        : previous_(std::cout.rdbuf(captured_.rdbuf())) {}
    ~cout_capture() { std::cout.rdbuf(previous_); }
    std::string text() const { return captured_.str(); }

private:
    std::ostringstream captured_;
    std::streambuf* previous_;
};

sound_state quiet_state() {
    cout_capture silence;
    return sound_state();
}

TEST(SoundState, ConstructionAnnouncesItselfOnStandardOutput) {
    cout_capture capture;
    const sound_state s;
    EXPECT_EQ(capture.text(), "sound state initialized\n");
    EXPECT_EQ(s.get_offset(), 0.0);
    EXPECT_EQ(s.cursors, std::vector<std::int32_t>(4, 0));
}

TEST(SoundState, TracksHoldTheScore) {
    const sound_state s = quiet_state();
    const std::size_t counts[4] = {5, 4, 65, 65};
    for (int k = 0; k < 4; ++k) {
        ASSERT_EQ(s.starts[k].size(), counts[k]);
        ASSERT_EQ(s.ends[k].size(), counts[k]);
        ASSERT_EQ(s.values[k].size(), counts[k]);
        for (std::size_t i = 0; i < counts[k]; ++i) {
            EXPECT_LT(s.starts[k][i], s.ends[k][i]) << k << "/" << i;
            if (i > 0) {
                EXPECT_LE(s.ends[k][i - 1], s.starts[k][i]) << k << "/" << i;
            }
        }
    }
    EXPECT_EQ(s.values[0], (values4{123, 10, 54, 12, 53}));
    EXPECT_EQ(s.ends[1][2], 3.0);
    EXPECT_EQ(s.starts[2][2], 15.33);
    EXPECT_EQ(s.ends[2][2], 15.36);
    EXPECT_EQ(s.starts[3][64], 103.59);
    EXPECT_EQ(s.ends[3][64], 103.62);

    // Marker ends are the decimals start + 0.03 parsed as doubles, even where the binary sum differs.
    int sums_off = 0;
    for (int k = 2; k < 4; ++k)
        for (std::size_t i = 0; i < 65; ++i) {
            char decimal[32];
            std::snprintf(decimal, sizeof decimal, "%.2f", s.starts[k][i] + 0.03);
            EXPECT_EQ(s.ends[k][i], std::strtod(decimal, nullptr)) << decimal;
            EXPECT_EQ(s.values[k][i], 1.0);
            sums_off += s.starts[k][i] + 0.03 != s.ends[k][i];
        }
    EXPECT_GT(sums_off, 0);
}

TEST(SoundState, StartsAndEndsAreExclusive) {
    sound_state s = quiet_state();
    s.set_offset(10.0);
    EXPECT_EQ(s.get_offset(), 10.0);
    EXPECT_EQ(s.at(10.55), (values4{123, 21, 0, 0}));
    EXPECT_EQ(s.at(10.6), (values4{0, 0, 0, 0}));

    sound_state fresh = quiet_state();
    fresh.set_offset(10.0);
    EXPECT_EQ(fresh.at(10.0), (values4{0, 0, 0, 0}));

    sound_state marker = quiet_state();
    EXPECT_EQ(marker.at(8.01), (values4{0, 0, 1, 0}));
    EXPECT_EQ(marker.at(8.03), (values4{0, 0, 0, 0}));
}

TEST(SoundState, CursorsNeverMoveBack) {
    sound_state s = quiet_state();
    s.at(20.0);
    const values4 late = s.at(0.55);
    EXPECT_EQ(late[0], 0.0);
    EXPECT_EQ(late[1], 0.0);

    EXPECT_EQ(s.at(200.0), (values4{0, 0, 0, 0}));
    EXPECT_EQ(s.cursors, (std::vector<std::int32_t>{5, 4, 65, 65}));
    EXPECT_EQ(s.at(0.55), (values4{0, 0, 0, 0}));
}

// Plays the piece at 60 frames per second: every frame must report exactly the event that strictly
// contains it (found here by a full scan), and every event must show up in at least one frame.
TEST(SoundState, EveryEventIsSeenAtSixtyFramesPerSecond) {
    for (const double offset : {0.0, 2.345}) {
        sound_state s = quiet_state();
        const sound_state score = quiet_state();
        s.set_offset(offset);
        std::vector<std::vector<int>> hits(4);
        for (int k = 0; k < 4; ++k)
            hits[k].assign(score.starts[k].size(), 0);

        for (int frame = 0; frame <= 110 * 60; ++frame) {
            const double t = frame / 60.0;
            const values4 got = s.at(t);
            ASSERT_EQ(got.size(), 4u);
            for (int k = 0; k < 4; ++k) {
                double expected = 0.0;
                for (std::size_t i = 0; i < score.starts[k].size(); ++i)
                    if (score.starts[k][i] + offset < t && t < score.ends[k][i] + offset) {
                        expected = score.values[k][i];
                        ++hits[k][i];
                    }
                ASSERT_EQ(got[k], expected) << "track " << k << " at " << t << " offset " << offset;
            }
        }
        for (int k = 0; k < 4; ++k)
            for (std::size_t i = 0; i < hits[k].size(); ++i)
                EXPECT_GT(hits[k][i], 0) << "track " << k << " event " << i << " offset " << offset;
        EXPECT_EQ(s.cursors, (std::vector<std::int32_t>{5, 4, 65, 65}));
    }
}

} // namespace
