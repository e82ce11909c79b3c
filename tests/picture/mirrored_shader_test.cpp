// Culling must never cost a pixel that the scene program as written would draw. A vertex shader that
// mirrors the model (x and the normal's x negated) moves chunks whose boxes were off-screen into view; its
// frames must be the ones the stock shaders draw of a model file mirrored the same way.

#include "support/process.hpp"
#include "support/rgb_image.hpp"
#include "support/run_folder.hpp"
#include "support/xvfb.hpp"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <sstream>
#include <string>

static auto* const xvfb = ::testing::AddGlobalTestEnvironment(new test_support::xvfb_environment);

namespace {

using namespace std::chrono_literals;
namespace fs = std::filesystem;

const fs::path source = ENGINE_SOURCE_DIR;
const std::string demo_capture = std::string(ENGINE_BINARY_DIR) + "/demo_capture";
const std::string times = "4,30,45";
const std::string stills[] = {"still_004.00.png", "still_030.00.png", "still_045.00.png"};

// The model file with every position's and normal's x negated.
std::string mirrored_model(const std::string& text) {
    std::istringstream lines(text);
    std::string result;
    std::string line;
    while (std::getline(lines, line)) {
        const std::size_t at = line.starts_with("v ") ? 2 : line.starts_with("vn ") ? 3 : 0;
        if (at != 0) line[at] == '-' ? line.erase(at, 1) : line.insert(at, "-");
        result += line + '\n';
    }
    return result;
}

// The stock vertex shader, mirroring the model the same way.
std::string mirroring_shader(std::string text) {
    for (const auto& [from, to] :
         {std::pair<std::string, std::string>{"vec4(attribute_position, 1.0)",
                                              "vec4(-attribute_position.x, attribute_position.yz, 1.0)"},
          {"vec4(attribute_normal, 0.0)", "vec4(-attribute_normal.x, attribute_normal.yz, 0.0)"}}) {
        const std::size_t at = text.find(from);
        EXPECT_NE(at, std::string::npos) << from;
        if (at != std::string::npos) text.replace(at, from.size(), to);
    }
    return text;
}

// Renders the stills in the folder; its test.log afterwards.
std::string capture(const test_support::run_folder& folder) {
    folder.write("config.ini", test_support::read_file(source / "config.ini"));
    test_support::child_process run(demo_capture, {"--at", times, "--size", "480x270", "--out", "out"},
                                    folder.path());
    EXPECT_TRUE(run.wait(300s)) << "demo_capture did not finish";
    EXPECT_EQ(run.status(), 0) << run.err();
    return folder.read("test.log");
}

TEST(MirroredShader, DrawsWhatTheStockShaderDrawsOfTheMirroredModel) {
    test_support::run_folder stock;
    stock.write("assets/toristin.obj",
                mirrored_model(test_support::read_file(source / "assets/toristin.obj")));
    const std::string stock_log = capture(stock);

    // Its own shaders/ in place of the link to the repository's.
    test_support::run_folder edited;
    edited.copy_shaders();
    edited.write("shaders/cube.vert",
                 mirroring_shader(test_support::read_file(source / "shaders/cube.vert")));
    const std::string edited_log = capture(edited);

    const std::string culling_off = "not the stock shaders/cube.vert: every chunk of the model is drawn";
    EXPECT_NE(edited_log.find(culling_off), std::string::npos) << edited_log;
    EXPECT_EQ(stock_log.find(culling_off), std::string::npos);

    // The picture test's tolerance: a channel off by more than 8 of 255 on more than 0.1 % of the pixels.
    for (const std::string& name : stills) {
        const test_support::rgb_image expected(stock.path() / "out" / name);
        const test_support::rgb_image drawn(edited.path() / "out" / name);
        ASSERT_GT(expected.pixels(), 0u) << name;
        ASSERT_EQ(drawn.rgb.size(), expected.rgb.size()) << name;
        std::size_t differing = 0;
        for (std::size_t i = 0; i < expected.pixels(); ++i) {
            int difference = 0;
            for (std::size_t c = 3 * i; c < 3 * i + 3; ++c)
                difference = std::max(difference, std::abs(expected.rgb[c] - drawn.rgb[c]));
            differing += difference > 8 ? 1 : 0;
        }
        EXPECT_LE(differing, expected.pixels() / 1000) << name << ": pixels that differ";
    }
}

} // namespace
