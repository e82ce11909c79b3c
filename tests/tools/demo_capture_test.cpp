// build/demo_capture run as a user runs it, from a scratch run folder: stills at chosen times, a short
// video, and its refusals.

#include "support/capture_folder.hpp"
#include "support/process.hpp"
#include "support/rgb_image.hpp"
#include "support/run_folder.hpp"
#include "support/wav.hpp"
#include "support/xvfb.hpp"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdlib>
#include <functional>
#include <map>
#include <regex>
#include <string>
#include <vector>

namespace {

using namespace std::chrono_literals;
using test_support::child_process;
namespace fs = std::filesystem;

static auto* const xvfb = ::testing::AddGlobalTestEnvironment(new test_support::xvfb_environment);

// Every run here is in a folder titled "capture-test", and waits at most two minutes.
struct capture_folder : test_support::capture_folder {
    capture_folder()
        : test_support::capture_folder("capture-test") {}
    std::unique_ptr<child_process> run(const std::vector<std::string>& args,
                                       const std::map<std::string, std::string>& env = {}) const {
        return test_support::capture_folder::run(args, env, 120s);
    }
};

struct image : test_support::rgb_image {
    using rgb_image::rgb_image;
    bool grey(std::size_t i, int value) const {
        for (int c = 0; c < 3; ++c) {
            if (std::abs(rgb[3 * i + c] - value) > 3) return false;
        }
        return true;
    }
    int luminance(std::size_t i) const { return (rgb[3 * i] + rgb[3 * i + 1] + rgb[3 * i + 2]) / 3; }
    double share(const std::function<bool(std::size_t)>& test) const {
        std::size_t n = 0;
        for (std::size_t i = 0; i < pixels(); ++i)
            n += test(i) ? 1 : 0;
        return pixels() == 0 ? 0.0 : static_cast<double>(n) / static_cast<double>(pixels());
    }
};

TEST(DemoCapture, StillsFollowTheTimeline) {
    capture_folder capture;
    const fs::path out = capture.folder.path() / "stills";
    // 4.05 s is nearest to the same 5 fps frame as 4 s.
    const auto process =
        capture.run({"--at", "4,31,80,4.05", "--fps", "5", "--size", "160x90", "--out", out.string()});
    ASSERT_EQ(process->status(), 0) << process->err();
    EXPECT_NE(process->out().find("wrote " + (out / "still_080.00.png").string() + "\n"), std::string::npos)
        << process->out();
    // Into a pipe the progress is a plain line at every tenth of the frames.
    const std::string& err = process->err();
    EXPECT_EQ(err.find('\r'), std::string::npos) << err;
    const std::regex progress_line(
        "([0-9]+)/401 frames \\(([0-9]+) %\\)  [0-9.]+ fps  ([0-9]+:[0-9]+|-:--) left\n");
    std::vector<std::string> tenths;
    for (auto it = std::sregex_iterator(err.begin(), err.end(), progress_line); it != std::sregex_iterator();
         ++it)
        tenths.push_back((*it)[2].str());
    EXPECT_EQ(tenths, (std::vector<std::string>{"10", "20", "30", "40", "50", "60", "70", "80", "90", "100"}))
        << err;
    EXPECT_NE(err.find("401/401 frames (100 %)"), std::string::npos) << err;

    const image opening(out / "still_004.00.png");
    const image middle(out / "still_031.00.png");
    const image end(out / "still_080.00.png");
    ASSERT_EQ(opening.width, 160);
    ASSERT_EQ(opening.height, 90);
    ASSERT_EQ(end.pixels(), opening.pixels());
    ASSERT_EQ(middle.pixels(), opening.pixels());

    // After the piece the model is faded to black against the grey clear colour, and nothing else shows.
    const double black = end.share([&](std::size_t i) { return end.grey(i, 0); });
    EXPECT_GT(black, 0.3);
    EXPECT_GT(black + end.share([&](std::size_t i) { return end.grey(i, 102); }), 0.99);
    // The opening shows the lit model.
    EXPECT_GT(opening.share([&](std::size_t i) { return !opening.grey(i, 0) && !opening.grey(i, 102); }),
              0.5);
    // The dim middle section is a different picture from the black end.
    EXPECT_GT(
        middle.share([&](std::size_t i) { return std::abs(middle.luminance(i) - end.luminance(i)) > 5; }),
        0.1);

    EXPECT_EQ(test_support::read_file(out / "still_004.05.png"),
              test_support::read_file(out / "still_004.00.png"));
}

TEST(DemoCapture, ShortVideoHasItsFramesAndTheMusic) {
    capture_folder capture;
    const fs::path video = capture.folder.path() / "video" / "piece.mp4";
    const auto process =
        capture.run({"--video", video.string(), "--duration", "2", "--fps", "10", "--size", "320x180"});
    ASSERT_EQ(process->status(), 0) << process->err();

    child_process probe(
        "ffprobe",
        {"-v", "error", "-count_frames", "-show_entries",
         "stream=codec_type,codec_name,pix_fmt,width,height,nb_read_frames,start_time:format=duration", "-of",
         "default=noprint_wrappers=1", video.string()},
        capture.folder.path());
    ASSERT_TRUE(probe.wait(60s));
    ASSERT_EQ(probe.status(), 0) << probe.err();
    const std::string info = probe.out();
    for (const char* line : {"codec_type=video", "codec_name=h264", "pix_fmt=yuv420p", "width=320",
                             "height=180", "nb_read_frames=20", "codec_type=audio", "codec_name=aac"}) {
        EXPECT_NE(info.find(std::string(line) + "\n"), std::string::npos) << line << " in\n" << info;
    }
    // Picture and sound both start at 0, and the sound is cut to the picture's length.
    const std::regex start_time("start_time=([-0-9.]+)");
    for (auto it = std::sregex_iterator(info.begin(), info.end(), start_time); it != std::sregex_iterator();
         ++it) {
        EXPECT_NEAR(std::stod((*it)[1].str()), 0.0, 1e-3) << info;
    }
    std::smatch duration;
    ASSERT_TRUE(std::regex_search(info, duration, std::regex("duration=([0-9.]+)")));
    EXPECT_NEAR(std::stod(duration[1].str()), 2.0, 0.05);
}

// Refusals, all before any frame is rendered: nothing is constructed, so no test.log appears.
struct refusal {
    const char* name;
    std::vector<std::string> args;
    int status;
    const char* message;
    bool no_ffmpeg = false;
};

class DemoCaptureRefuses : public ::testing::TestWithParam<refusal> {};

TEST_P(DemoCaptureRefuses, WithAClearMessage) {
    const refusal& r = GetParam();
    capture_folder capture;
    capture.folder.write("blocker", "a file where a folder is needed");
    std::map<std::string, std::string> env;
    if (r.no_ffmpeg) env["PATH"] = (capture.folder.path() / "empty").string();
    const auto process = capture.run(r.args, env);
    EXPECT_EQ(process->status(), r.status) << process->err();
    EXPECT_NE(process->err().find(r.message), std::string::npos) << process->err();
    if (r.status == 2) {
        EXPECT_NE(process->err().find("usage: demo_capture"), std::string::npos);
    }
    EXPECT_FALSE(fs::exists(capture.folder.path() / "test.log"));
}

INSTANTIATE_TEST_SUITE_P(
    Cases, DemoCaptureRefuses,
    ::testing::Values(
        refusal{"unknown_option", {"--at", "4", "--speed", "2"}, 2, "unknown option '--speed'"},
        refusal{"bad_time", {"--at", "4,x"}, 2, "--at wants seconds (a number >= 0), not 'x'"},
        refusal{"negative_time", {"--at", "-1"}, 2, "--at wants seconds"},
        refusal{"time_past_any_piece", {"--at", "4,1000000000"}, 2, "--at wants seconds up to 4200"},
        refusal{"video_past_any_piece",
                {"--video", "v.mp4", "--duration", "4201"},
                2,
                "--duration wants seconds up to 4200"},
        refusal{"odd_size", {"--at", "4", "--size", "161x90"}, 2, "--size wants even numbers"},
        refusal{"zero_fps", {"--at", "4", "--fps", "0"}, 2, "--fps wants a whole number from 1 to 1000"},
        refusal{"missing_value", {"--video"}, 2, "--video needs a value"},
        refusal{"nothing_to_do", {"--fps", "30"}, 2, "nothing to do"},
        refusal{
            "stills_folder_blocked", {"--at", "4", "--out", "blocker/stills"}, 1, "Cannot create the folder"},
        refusal{"video_folder_blocked", {"--video", "blocker/piece.mp4"}, 1, "Cannot create the folder"},
        refusal{"no_ffmpeg", {"--video", "piece.mp4"}, 1, "ffmpeg is not on PATH", true}),
    [](const auto& info) { return std::string(info.param.name); });

// Within what any piece may ask for, but past the end of the piece that plays (and 600 s more): refused
// once the piece is read, before the first frame is stepped.
TEST(DemoCapture, RefusesATimePastThePiecesEnd) {
    capture_folder capture;
    const auto process = capture.run({"--at", "4,700"});
    EXPECT_EQ(process->status(), 2) << process->err();
    EXPECT_NE(process->err().find("--at wants seconds up to 675.3 (the piece's end and 600 s more), not '700'"),
              std::string::npos)
        << process->err();
    EXPECT_NE(process->err().find("usage: demo_capture"), std::string::npos);
    EXPECT_FALSE(fs::exists(capture.folder.path() / "out" / "still_004.00.png"));
}

TEST(DemoCapture, ReportsAFailingEncoder) {
    capture_folder capture;
    // ffmpeg knows no container for this name and stops before taking frames.
    const auto process = capture.run(
        {"--video", "piece.unknown_container", "--duration", "1", "--fps", "10", "--size", "64x36"});
    EXPECT_EQ(process->status(), 1);
    EXPECT_TRUE(std::regex_search(process->err(), std::regex("demo_capture: .*ffmpeg .*exit status [1-9]")))
        << process->err();
}

// Music silent for its first second, then a tone: a piece whose 0 is at 1 s of it has sound from its first
// frame, in the video as in the player.
TEST(DemoCapture, TheVideoMuxesTheMusicFromThePiecesMusicStart) {
    capture_folder capture;
    std::vector<std::int16_t> music(2 * 44100, 0);
    for (std::size_t i = 44100; i < music.size(); i += 2)
        music[i] = music[i + 1] =
            static_cast<std::int16_t>(8000.0 * std::sin(0.1254 * static_cast<double>(i / 2)));
    capture.folder.write("pieces/late.wav", test_support::wav_bytes(music, 2, 22050));
    std::string piece = test_support::read_file(fs::path(ENGINE_SOURCE_DIR) / "pieces/courtyard.toml");
    piece.replace(piece.find("music = \"assets/dat_bass.wav\""), 29, "music = \"late.wav\"");
    piece.replace(piece.find("block_size = 100\n"), 17, "block_size = 100\nmusic_start = 1.0\n");
    capture.folder.write("pieces/late.toml", piece);
    const fs::path video = capture.folder.path() / "late.mp4";
    const auto process = capture.run({"--piece", "pieces/late.toml", "--video", video.string(), "--duration",
                                      "1", "--fps", "10", "--size", "64x36"});
    ASSERT_EQ(process->status(), 0) << process->err();

    child_process loudness(
        "ffmpeg", {"-hide_banner", "-nostdin", "-i", video.string(), "-af", "volumedetect", "-f", "null", "-"},
        capture.folder.path());
    ASSERT_TRUE(loudness.wait(60s));
    std::smatch mean;
    const std::string report = loudness.err();
    ASSERT_TRUE(std::regex_search(report, mean, std::regex("mean_volume: (-?[0-9.]+) dB"))) << report;
    EXPECT_GT(std::stod(mean[1].str()), -30.0) << "the tone, not the silence before it";
}

} // namespace
