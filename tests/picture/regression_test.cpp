// The pieces' frames held to the reference stills committed in tests/picture/references/ (written by
// scripts/update-references.sh): the built-in piece's in the folder itself, each other piece's in a
// subfolder named after its file under pieces/. build/demo_capture renders the same times at the same size
// from the repository's config.ini in one run (with --piece for the others), and each still must match
// its reference pixel for pixel within a small tolerance. A still that does not is left in the output
// folder with a difference image.

#include "support/process.hpp"
#include "support/rgb_image.hpp"
#include "support/run_folder.hpp"
#include "support/xvfb.hpp"

#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wmissing-field-initializers"
#define STB_IMAGE_WRITE_IMPLEMENTATION
#include <stb_image_write.h>
#pragma GCC diagnostic pop

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

static auto* const xvfb = ::testing::AddGlobalTestEnvironment(new test_support::xvfb_environment);

namespace {

using namespace std::chrono_literals;
namespace fs = std::filesystem;

const fs::path references = fs::path(ENGINE_SOURCE_DIR) / "tests/picture/references";
const fs::path output = PICTURE_OUTPUT_DIR;
const std::string demo_capture = std::string(ENGINE_BINARY_DIR) + "/demo_capture";

// llvmpipe gives the same bytes on every run with one Mesa version on one CPU; another Mesa build or
// vector width may round a blend, a filtered texel or the 8-bit conversion differently, by a step or
// two per channel, and move a few edge pixels. So a pixel differs when a channel is off by more than 8
// of 255, and a still fails when more than 0.1 % of its pixels differ. The faults this is meant to
// catch move far more (a lost normal map, a camera moved by 0.1, missing sprites).
constexpr int channel_tolerance = 8;
constexpr double pixel_share_allowed = 0.001;

using image = test_support::rgb_image;

struct comparison {
    std::size_t differing = 0;
    int largest = 0;
    std::vector<std::uint8_t> picture; // the reference dimmed to grey, differing pixels in red
};

comparison compare(const image& reference, const image& rendered) {
    comparison result;
    result.picture.resize(reference.rgb.size());
    for (std::size_t i = 0; i < reference.pixels(); ++i) {
        int difference = 0;
        int sum = 0;
        for (std::size_t c = 3 * i; c < 3 * i + 3; ++c) {
            difference = std::max(difference, std::abs(reference.rgb[c] - rendered.rgb[c]));
            sum += reference.rgb[c];
        }
        result.largest = std::max(result.largest, difference);
        const bool differs = difference > channel_tolerance;
        result.differing += differs ? 1 : 0;
        const auto grey = static_cast<std::uint8_t>(sum / 9);
        result.picture[3 * i] = differs ? 255 : grey;
        result.picture[3 * i + 1] = differs ? 0 : grey;
        result.picture[3 * i + 2] = differs ? 0 : grey;
    }
    return result;
}

// The reference stills in `folder`, named still_<seconds>.png as demo_capture names them, in time order.
std::vector<fs::path> reference_stills(const fs::path& folder) {
    std::vector<fs::path> files;
    for (const auto& entry : fs::directory_iterator(folder)) {
        const std::string name = entry.path().filename().string();
        if (name.starts_with("still_") && name.ends_with(".png")) files.push_back(entry.path());
    }
    std::sort(files.begin(), files.end());
    return files;
}

std::string seconds_of(const fs::path& still) {
    const std::string name = still.filename().string();
    return name.substr(6, name.size() - 10);
}

// Renders the stills of `folder` (the piece file `piece`, or the built-in piece when empty) into `out`
// and compares each with its reference.
void check_stills(const fs::path& folder, const std::string& piece, const fs::path& out) {
    const std::vector<fs::path> stills = reference_stills(folder);
    ASSERT_FALSE(stills.empty()) << "no reference stills in " << folder;
    const image first(stills.front());
    ASSERT_GT(first.pixels(), 0u) << stills.front();

    std::string times;
    for (const fs::path& still : stills)
        times += (times.empty() ? "" : ",") + seconds_of(still);
    fs::remove_all(out);
    fs::create_directories(out);

    test_support::run_folder run;
    run.write("config.ini", test_support::read_file(fs::path(ENGINE_SOURCE_DIR) / "config.ini"));
    const std::string size = std::to_string(first.width) + "x" + std::to_string(first.height);
    std::vector<std::string> arguments{"--at", times, "--size", size, "--out", out.string()};
    if (!piece.empty()) arguments.insert(arguments.end(), {"--piece", piece});
    test_support::child_process capture(demo_capture, arguments, run.path());
    // About 15 CPU-seconds; the deadline leaves room for a machine busy with other builds.
    ASSERT_TRUE(capture.wait(300s)) << "demo_capture did not finish";
    ASSERT_EQ(capture.status(), 0) << capture.err();

    const auto allowed = static_cast<std::size_t>(pixel_share_allowed * static_cast<double>(first.pixels()));
    bool all_match = true;
    for (const fs::path& still : stills) {
        const std::string name = still.filename().string();
        const fs::path rendered_file = out / name;
        const image reference(still);
        const image rendered(rendered_file);
        ASSERT_EQ(reference.width, first.width) << name << ": the references differ in size";
        ASSERT_EQ(reference.height, first.height) << name << ": the references differ in size";
        ASSERT_EQ(rendered.rgb.size(), reference.rgb.size()) << name << ": not rendered at " << size;

        const comparison result = compare(reference, rendered);
        if (result.differing <= allowed) {
            fs::remove(rendered_file);
            continue;
        }
        all_match = false;
        const fs::path difference_file = out / (still.stem().string() + "_difference.png");
        EXPECT_NE(stbi_write_png(difference_file.c_str(), reference.width, reference.height, 3,
                                 result.picture.data(), reference.width * 3),
                  0)
            << difference_file;
        ADD_FAILURE() << name << ": " << result.differing << " of " << reference.pixels()
                      << " pixels differ by more than " << channel_tolerance << " of 255 (at most " << allowed
                      << " may; largest difference " << result.largest << "); rendered frame "
                      << rendered_file << ", differing pixels in red in " << difference_file;
    }
    if (all_match) fs::remove_all(out);
}

TEST(Picture, FramesMatchTheReferenceStills) {
    check_stills(references, "", output);
}

// The second piece plays from its file, with its own shaders, curves, camera and emitters.
TEST(Picture, SecondPieceMatchesItsReferenceStills) {
    const std::string piece = (fs::path(ENGINE_SOURCE_DIR) / "pieces/cloister_mist.toml").string();
    check_stills(references / "cloister_mist", piece, output / "cloister_mist");
}

// The third piece is made of acts: shader acts, the courtyard as a scene act, a feedback buffer (every
// frame since 0 drawn), transitions and post passes, all fed by the music texture and its tracks.
TEST(Picture, PieceOfActsMatchesItsReferenceStills) {
    const std::string piece = (fs::path(ENGINE_SOURCE_DIR) / "pieces/night_drive.toml").string();
    check_stills(references / "night_drive", piece, output / "night_drive");
}

} // namespace
