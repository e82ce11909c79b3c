// The fixed-step replay over the real player in a scratch run folder (its window under Xvfb).

#include "core/core_module.hpp"
#include "player/player.hpp"
#include "player/replay.hpp"
#include "support/run_folder.hpp"
#include "support/xvfb.hpp"

#include <gtest/gtest.h>

#include <cstdlib>
#include <memory>

namespace {

static auto* const xvfb = ::testing::AddGlobalTestEnvironment(new test_support::xvfb_environment);

TEST(Replay, StepsWhatIsMissingAndRewindsOnlyForAnEarlierFrame) {
    test_support::run_folder folder;
    folder.write("config.ini", test_support::small_config("replay-test"));
    const test_support::scoped_cwd cwd(folder.path());
    setenv("SDL_AUDIODRIVER", "dummy", 0);
    auto core = std::make_unique<core_module>();
    auto host = std::make_unique<player>(core.get());
    replay frames(*host, 60);

    EXPECT_EQ(frames.step_to(120), 121);
    EXPECT_EQ(frames.frame(), 120);
    EXPECT_DOUBLE_EQ(host->time, 2.0);
    // A paused redraw or a shader reload asks for the frame it is on: nothing to step.
    EXPECT_EQ(frames.step_to(120), 0);
    // Slices of a long replay, then the rest.
    EXPECT_EQ(frames.step_toward(600, 200), 200);
    EXPECT_EQ(frames.frame(), 320);
    EXPECT_EQ(frames.step_to(600), 280);
    EXPECT_DOUBLE_EQ(host->time, 10.0);
    // Back is a replay from the first frame.
    EXPECT_EQ(frames.step_to(60), 61);
    EXPECT_DOUBLE_EQ(host->time, 1.0);

    host.reset();
    core.reset();
}

} // namespace
