// display.render_scale end to end: the real program under Xvfb draws a half-size frame offscreen,
// stretches it over the whole window, and ends cleanly when the window is closed.

#include "support/demo_run.hpp"
#include "support/process.hpp"
#include "support/run_folder.hpp"
#include "support/screen_still.hpp"
#include "support/x_window.hpp"
#include "support/xvfb.hpp"

#include <gtest/gtest.h>

#include <thread>

namespace {

using namespace std::chrono_literals;
using test_support::child_process;

static auto* const xvfb = ::testing::AddGlobalTestEnvironment(new test_support::xvfb_environment);

// The quarter of a width x height RGB picture right of its middle and above it.
std::string top_right_quarter(const std::string& rgb, std::size_t width, std::size_t height) {
    std::string quarter;
    for (std::size_t row = 0; row < height / 2 && (row + 1) * width * 3 <= rgb.size(); ++row)
        quarter += rgb.substr((row * width + width / 2) * 3, width / 2 * 3);
    return quarter;
}

TEST(RenderScale, HalfScaleFillsTheWindowAndEndsCleanly) {
    const std::string title = "render-scale-half";
    test_support::run_folder folder;
    folder.write("config.ini", test_support::config_adding("render_scale = 0.5", title));
    child_process process(test_support::demo_program(), {}, folder.path(), {{"SDL_AUDIODRIVER", "dummy"}});
    const auto log_has = [&](const std::string& text) {
        return folder.read("test.log").find(text) != std::string::npos;
    };
    ASSERT_TRUE(child_process::eventually(
        [&] {
            return log_has("DEBUG: Drawing at 160x120, scaled to the 320x240 window.") || !process.running();
        },
        60s))
        << process.err();
    ASSERT_TRUE(process.running()) << process.err();
    std::this_thread::sleep_for(2s);

    // Copied unscaled, the target would cover only the lower left quarter.
    const std::string still = test_support::screen_still(title);
    ASSERT_EQ(still.size(), 320u * 240u * 3u);
    EXPECT_GT(test_support::luminance_variance(top_right_quarter(still, 320, 240)), 100.0);

    ASSERT_TRUE(test_support::request_close(title));
    ASSERT_TRUE(process.wait(30s)) << "the program did not end after its window was closed";
    EXPECT_EQ(process.status(), 0) << process.err();
    EXPECT_TRUE(log_has("Core shutdown at ")) << process.err();
}

} // namespace
