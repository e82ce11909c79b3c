// build/demo_live run as a user runs it, in a scratch run folder under Xvfb, driven with real X key
// presses (xdotool) and looked at through screenshots of the X screen.

#include "support/process.hpp"
#include "support/run_folder.hpp"
#include "support/x_window.hpp"
#include "support/xvfb.hpp"

#include <gtest/gtest.h>

#include <stb_image.h>

#include <algorithm>
#include <csignal>
#include <cstring>
#include <fstream>
#include <sstream>
#include <thread>

namespace {

using namespace std::chrono_literals;
using test_support::child_process;
namespace fs = std::filesystem;

static auto* const xvfb = ::testing::AddGlobalTestEnvironment(new test_support::xvfb_environment);

const std::string demo_live = std::string(ENGINE_BINARY_DIR) + "/demo_live";
const std::string demo_capture = std::string(ENGINE_BINARY_DIR) + "/demo_capture";

// One run tool's standard output, or nothing when it fails.
std::string tool(const std::string& program, const std::vector<std::string>& args, const fs::path& cwd) {
    child_process p(program, args, cwd);
    return p.wait(30s) && p.status() == 0 ? p.out() : std::string();
}

// A PNG still as RGB bytes, top row first.
std::string png_rgb(const fs::path& file) {
    int width = 0;
    int height = 0;
    int channels = 0;
    stbi_uc* data = stbi_load(file.c_str(), &width, &height, &channels, 3);
    if (data == nullptr) return {};
    std::string rgb(reinterpret_cast<const char*>(data), static_cast<std::size_t>(width) * height * 3);
    stbi_image_free(data);
    return rgb;
}

struct live_run {
    test_support::run_folder folder;
    std::string title;
    std::unique_ptr<child_process> process;
    std::string window; // X id, decimal

    explicit live_run(const std::string& window_title)
        : title(window_title) {
        folder.write("config.ini", test_support::small_config(title, 320, 180));
    }
    // Starts demo_live and waits for its first frame, which comes before the first title with a time.
    bool start(const std::vector<std::string>& args,
               const std::map<std::string, std::string>& env = {{"SDL_AUDIODRIVER", "dummy"}}) {
        // The pointer stays off the window: its motion would turn the camera.
        tool("xdotool", {"mousemove", "1270", "1010"}, folder.path());
        process = std::make_unique<child_process>(demo_live, args, folder.path(), env);
        return child_process::eventually(
            [&] {
                window = tool("xdotool", {"search", "--name", "^" + title + " \\| "}, folder.path());
                window = window.substr(0, window.find('\n'));
                return !window.empty();
            },
            60s);
    }
    std::string window_title() const { return tool("xdotool", {"getwindowname", window}, folder.path()); }
    bool wait_for_title(const std::string& part) const {
        return child_process::eventually([&] { return window_title().find(part) != std::string::npos; }, 30s);
    }
    void keys(const std::vector<std::string>& names) const {
        std::vector<std::string> args{"windowfocus", "--sync", window, "key", "--delay", "50"};
        args.insert(args.end(), names.begin(), names.end());
        tool("xdotool", args, folder.path());
    }
    // The window's area of the X screen as raw RGB bytes, the way a screenshot tool takes it; its size
    // goes to shot_width and shot_height.
    mutable int shot_width = 0;
    mutable int shot_height = 0;
    std::string still() const {
        std::istringstream shell(tool("xdotool", {"getwindowgeometry", "--shell", window}, folder.path()));
        std::map<std::string, std::string> g;
        for (std::string line; std::getline(shell, line);) {
            const auto eq = line.find('=');
            if (eq != std::string::npos) g[line.substr(0, eq)] = line.substr(eq + 1);
        }
        shot_width = std::stoi(g["WIDTH"]);
        shot_height = std::stoi(g["HEIGHT"]);
        const fs::path file = folder.path() / "screen.rgb";
        tool("import",
             {"-silent", "-window", "root", "-crop", g["WIDTH"] + "x" + g["HEIGHT"] + "+" + g["X"] + "+" + g["Y"],
              "-depth", "8", "rgb:" + file.string()},
             folder.path());
        return test_support::read_file(file);
    }
    std::string log() const { return folder.read("test.log"); }
    std::size_t log_count(const std::string& text) const {
        const std::string l = log();
        std::size_t n = 0;
        for (std::size_t at = l.find(text); at != std::string::npos; at = l.find(text, at + 1))
            ++n;
        return n;
    }
};

TEST(DemoLive, PausedPositionsAreTheCapturesStillsAndStayPut) {
    live_run run("live-e2e-seek");
    child_process capture(demo_capture, {"--at", "45,46", "--out", "stills"}, run.folder.path());
    ASSERT_TRUE(capture.wait(120s));
    const std::string at_45 = png_rgb(run.folder.path() / "stills" / "still_045.00.png");
    const std::string at_46 = png_rgb(run.folder.path() / "stills" / "still_046.00.png");
    ASSERT_EQ(at_45.size(), 320u * 180 * 3);

    ASSERT_TRUE(run.start({"--start", "45", "--paused"})) << run.process->err();
    ASSERT_TRUE(run.wait_for_title("45.00 s | paused | x1 | no loop")) << run.window_title();
    const std::string first = run.still();
    EXPECT_TRUE(first == at_45) << "paused at 45 s the window shows demo_capture's still of 45 s";
    std::this_thread::sleep_for(1s);
    EXPECT_TRUE(run.still() == first) << "a paused picture stays";

    run.keys({"Right"});
    ASSERT_TRUE(run.wait_for_title("46.00 s | paused")) << run.window_title();
    EXPECT_TRUE(run.still() == at_46);
    // Back is a replay from 0 of the CPU steps alone.
    run.keys({"Left"});
    ASSERT_TRUE(run.wait_for_title("45.00 s | paused")) << run.window_title();
    EXPECT_TRUE(run.still() == at_45);

    run.keys({"space"});
    ASSERT_TRUE(run.wait_for_title("| playing |")) << run.window_title();
    ASSERT_EQ(kill(run.process->pid(), SIGTERM), 0);
    ASSERT_TRUE(run.process->wait(30s));
    EXPECT_EQ(run.process->status(), 0) << run.process->err();
    EXPECT_NE(run.log().find("SIGTERM received; closing the windows."), std::string::npos);
}

TEST(DemoLive, ACameraKeyPressedDuringAReplayIsAnsweredWithItsFrame) {
    live_run run("live-e2e-key-in-replay");
    ASSERT_TRUE(run.start({"--start", "670", "--paused"})) << run.process->err();
    ASSERT_TRUE(run.wait_for_title("670.00 s | paused")) << run.window_title();
    // Ten seconds back is a replay from 0 of 39,600 steps in slices of 50 ms; C comes 50 ms into it.
    run.keys({"shift+Left", "c"});
    ASSERT_TRUE(child_process::eventually([&] { return run.log_count("Camera row (key C)") == 1; }, 60s))
        << run.log();
    EXPECT_NE(run.log().find("Frame 39600 (660.00 s) shown"), std::string::npos) << run.log();
    EXPECT_NE(run.process->out().find("# camera at 660.0 s\n[[camera]]\nfrom = 660.0\nuntil = 661.0\n"),
              std::string::npos)
        << run.process->out();
    ASSERT_TRUE(test_support::request_close(std::stoul(run.window)));
    ASSERT_TRUE(run.process->wait(30s));
    EXPECT_EQ(run.process->status(), 0) << run.process->err();
}

TEST(DemoLive, FullScreenInAnotherSizeStretchesTheFrameOverTheWindow) {
    live_run run("live-e2e-full-screen");
    std::string config = test_support::small_config(run.title, 320, 180);
    config.replace(config.find("fullscreen = 0"), 14, "fullscreen = 1");
    run.folder.write("config.ini", config);
    child_process capture(demo_capture, {"--at", "45", "--out", "stills"}, run.folder.path());
    ASSERT_TRUE(capture.wait(120s));
    const std::string frame = png_rgb(run.folder.path() / "stills" / "still_045.00.png");
    ASSERT_EQ(frame.size(), 320u * 180 * 3) << capture.err();

    // The X server has one video mode, its screen's: the window covers it.
    ASSERT_TRUE(run.start({"--start", "45", "--paused"})) << run.process->err();
    ASSERT_TRUE(run.wait_for_title("45.00 s | paused")) << run.window_title();
    const std::string screen = run.still();
    ASSERT_GT(run.shot_width, 640);
    ASSERT_EQ(screen.size(), static_cast<std::size_t>(run.shot_width) * run.shot_height * 3);
    // Each pixel of the frame against the window's pixel at the same place in the stretched picture.
    double difference = 0.0;
    for (int y = 0; y < 180; ++y) {
        for (int x = 0; x < 320; ++x) {
            const auto sx = static_cast<std::size_t>((x + 0.5) * run.shot_width / 320);
            const auto sy = static_cast<std::size_t>((y + 0.5) * run.shot_height / 180);
            for (std::size_t c = 0; c < 3; ++c) {
                difference +=
                    std::abs(static_cast<unsigned char>(frame[(y * 320u + x) * 3 + c]) -
                             static_cast<unsigned char>(screen[(sy * run.shot_width + sx) * 3 + c]));
            }
        }
    }
    EXPECT_LT(difference / (320.0 * 180 * 3), 8.0) << "mean difference per channel";

    // T: the strip spans the screen's width, its red playhead in the middle of the time line (right of
    // the labels) down to the bottom row.
    run.keys({"t"});
    std::string with_strip;
    ASSERT_TRUE(child_process::eventually([&] { return (with_strip = run.still()) != screen; }, 30s));
    int left = run.shot_width;
    int right = -1;
    int lowest = -1;
    for (std::size_t i = 0; i + 2 < with_strip.size(); i += 3) {
        if (with_strip.compare(i, 3, "\xff\x26\x26", 3) != 0) continue; // (1, 0.15, 0.15)
        const auto x = static_cast<int>(i / 3 % run.shot_width);
        left = std::min(left, x);
        right = std::max(right, x);
        lowest = std::max(lowest, static_cast<int>(i / 3 / run.shot_width));
    }
    EXPECT_GT(left, run.shot_width / 2) << "the playhead's pixels from x " << left << " to " << right;
    EXPECT_LT(right, run.shot_width * 2 / 3);
    EXPECT_EQ(lowest, run.shot_height - 1);

    ASSERT_TRUE(test_support::request_close(std::stoul(run.window)));
    ASSERT_TRUE(run.process->wait(30s));
    EXPECT_EQ(run.process->status(), 0) << run.process->err();
}

// The music's sample frames from `seconds` on, for `length` seconds, as the WAV holds them (16-bit stereo).
std::string music_bytes(const fs::path& wav, double seconds, double length) {
    const std::string file = test_support::read_file(wav);
    const std::size_t data = file.find("data");
    if (data == std::string::npos) return {};
    const std::size_t rate = static_cast<unsigned char>(file[24]) | static_cast<unsigned char>(file[25]) << 8 |
                             static_cast<unsigned char>(file[26]) << 16;
    const std::size_t from = data + 8 + static_cast<std::size_t>(seconds * rate) * 4;
    return file.substr(from, static_cast<std::size_t>(length * rate) * 4);
}

TEST(DemoLive, ALoopPlaysTheMusicFromItsStartEachTime) {
    live_run run("live-e2e-loop");
    const fs::path audio = run.folder.path() / "audio.raw";
    ASSERT_TRUE(run.start({"--loop", "10:11"}, {{"SDL_AUDIODRIVER", "disk"}, {"SDL_DISKAUDIOFILE", audio.string()}})) << run.process->err();
    // Every jump back is logged when its frame is shown: the start and two restarts. The frame is the one
    // of the time when the replay from 0 is done, which the music has run on to on a slow machine.
    ASSERT_TRUE(child_process::eventually([&] { return run.log_count(" (10.") >= 3; }, 60s)) << run.log();
    std::this_thread::sleep_for(700ms);
    ASSERT_TRUE(test_support::request_close(std::stoul(run.window)));
    ASSERT_TRUE(run.process->wait(30s));
    EXPECT_EQ(run.process->status(), 0) << run.process->err();

    const std::string from_a = music_bytes(run.folder.path() / "assets" / "dat_bass.wav", 10.0, 0.5);
    ASSERT_EQ(from_a.size(), 88200u);
    const std::string recorded = test_support::read_file(audio);
    std::vector<std::size_t> starts;
    for (std::size_t at = recorded.find(from_a); at != std::string::npos; at = recorded.find(from_a, at + 1))
        starts.push_back(at);
    ASSERT_GE(starts.size(), 2u) << "the half second from 10 s is recorded at least twice";
    for (const std::size_t at : starts)
        EXPECT_EQ(at % 4, 0u) << "on a whole sample frame";
}

TEST(DemoLive, SavedShadersShowBrokenOnesKeepTheLastPicture) {
    live_run run("live-e2e-shaders");
    // The run folder gets its own shaders/ to edit.
    run.folder.copy_shaders();
    const fs::path shaders = run.folder.path() / "shaders";
    const std::string vert = test_support::read_file(shaders / "cube.vert");
    const std::string frag = test_support::read_file(shaders / "cube.frag");

    ASSERT_TRUE(run.start({"--start", "45", "--paused"})) << run.process->err();
    ASSERT_TRUE(run.wait_for_title("45.00 s | paused")) << run.window_title();
    const std::string original = run.still();

    // Saved the way many editors save: a new file renamed over the old one.
    std::string red = frag;
    red.insert(red.rfind('}'), "    fragment_color = vec4(1.0, 0.0, 0.0, 1.0);\n");
    run.folder.write("shaders/cube.frag.new", red);
    fs::rename(shaders / "cube.frag.new", shaders / "cube.frag");
    std::string reddened;
    ASSERT_TRUE(child_process::eventually([&] { return (reddened = run.still()) != original; }, 30s));
    std::size_t red_pixels = 0;
    for (std::size_t i = 0; i + 2 < reddened.size(); i += 3)
        red_pixels += reddened.compare(i, 3, "\xff\x00\x00", 3) == 0 ? 1 : 0;
    EXPECT_GT(red_pixels, reddened.size() / 3 / 4) << "the model is drawn with the saved shader";

    // Written in place with a syntax error: reported, and the last good program stays.
    run.folder.write("shaders/cube.frag", frag + "broken(\n");
    ASSERT_TRUE(run.wait_for_title("| shader error")) << run.window_title();
    EXPECT_NE(run.log().find("Compiling fragment shader from 'shaders/cube.frag'... Fail."), std::string::npos);
    EXPECT_NE(run.log().find("ERROR: Shader reload: the scene program does not build: 'shaders/cube.frag' "
                             "failed to compile; the last good program stays in use."),
              std::string::npos)
        << run.log();
    EXPECT_TRUE(run.still() == reddened);

    // The fix, with the vertex attributes moved to other locations: the vertex array follows them.
    std::string moved = vert;
    for (const auto& [declaration, location] : {std::pair{"in vec3 attribute_position;", "5"},
                                                std::pair{"in vec3 attribute_normal;", "7"},
                                                std::pair{"in vec2 attribute_uv;", "6"}}) {
        moved.replace(moved.find(declaration), 0, std::string("layout(location = ") + location + ") ");
    }
    run.folder.write("shaders/cube.vert", moved);
    run.folder.write("shaders/cube.frag", frag);
    ASSERT_TRUE(child_process::eventually([&] { return run.window_title().find("shader error") == std::string::npos; },
                                          30s));
    ASSERT_TRUE(child_process::eventually([&] { return run.still() == original; }, 30s))
        << "the fixed shaders draw the picture of the start";

    ASSERT_TRUE(test_support::request_close(std::stoul(run.window)));
    ASSERT_TRUE(run.process->wait(30s));
    EXPECT_EQ(run.process->status(), 0) << run.process->err();
}

// Saved without removing the file: the way an editor that writes in place saves.
void write_in_place(const fs::path& file, const std::string& text) {
    std::ofstream out(file, std::ios::binary | std::ios::in | std::ios::out | std::ios::trunc);
    out << text;
}

std::string replaced(std::string text, const std::string& from, const std::string& to) {
    const std::size_t at = text.find(from);
    return at == std::string::npos ? std::string() : text.replace(at, from.size(), to);
}

// `text` with the listed events of track `name` replaced by a detect table for `instrument`.
std::string found_in_music(std::string text, const std::string& name, const std::string& instrument) {
    const std::string head = "name = \"" + name + "\"\n";
    const std::size_t at = text.find(head + "events = [");
    const std::size_t end = text.find("\n]\n", at);
    if (at == std::string::npos || end == std::string::npos) return {};
    return text.replace(at, end + 3 - at, head + "detect = { instrument = \"" + instrument + "\" }\n");
}

// A shader played on its own is rebuilt when saved; a broken save names its line in the title and the last
// good program keeps drawing. A piece whose buffer reads its own last frame shows, paused at 60 s, the
// capture's still of 60 s: every frame since 0 is in it.
TEST(DemoLive, AShaderOnItsOwnIsLiveCodedAndFeedbackIsExactAtAnyPosition) {
    live_run run("live-e2e-shadertoy");
    const auto colour = [](const char* rgb) {
        return std::string("void mainImage(out vec4 c, in vec2 p) {\n    c = vec4(") + rgb + ", 1.0);\n}\n";
    };
    run.folder.write("tone.frag", colour("1.0, 0.0, 0.0"));
    ASSERT_TRUE(run.start({"--shader", "tone.frag", "--start", "2", "--paused"})) << run.process->err();
    ASSERT_TRUE(run.wait_for_title("2.00 s | paused")) << run.window_title();
    const auto every_pixel = [](const std::string& rgb, const char* pixel) {
        for (std::size_t i = 0; i + 2 < rgb.size(); i += 3)
            if (rgb.compare(i, 3, pixel, 3) != 0) return false;
        return !rgb.empty();
    };
    EXPECT_TRUE(every_pixel(run.still(), "\xff\x00\x00"));
    write_in_place(run.folder.path() / "tone.frag", colour("0.0, 0.0, 1.0"));
    ASSERT_TRUE(child_process::eventually([&] { return every_pixel(run.still(), "\x00\x00\xff"); }, 30s));
    write_in_place(run.folder.path() / "tone.frag", colour("0.0, nope, 1.0"));
    ASSERT_TRUE(run.wait_for_title("| shader error tone.frag:2:")) << run.window_title();
    EXPECT_TRUE(every_pixel(run.still(), "\x00\x00\xff")) << "the last good program draws";
    ASSERT_TRUE(test_support::request_close(std::stoul(run.window)));
    ASSERT_TRUE(run.process->wait(30s));

    live_run counting("live-e2e-feedback");
    counting.folder.write("count.frag", "void mainImage(out vec4 c, in vec2 p) {\n"
                                        "    c = texture(iChannel0, p / iResolution.xy) + vec4(1.0 / 256.0);\n}\n");
    counting.folder.write("show.frag", "void mainImage(out vec4 c, in vec2 p) {\n"
                                       "    float n = texture(iChannel0, p / iResolution.xy).r * 256.0;\n"
                                       "    c = vec4(fract(n / 256.0), fract(n / 16.0), fract(n / 7.0), 1.0);\n}\n");
    counting.folder.write("count.toml", "[piece]\nname = \"count\"\nlength = 70\n"
                                        "[assets]\nmusic = \"assets/dat_bass.wav\"\n"
                                        "[[buffers]]\nname = \"count\"\nshader = \"count.frag\"\n"
                                        "channels = [\"count\"]\nformat = \"rgba32f\"\n"
                                        "[[acts]]\nname = \"show\"\nfrom = 0\nuntil = 70\n"
                                        "shader = \"show.frag\"\nchannels = [\"count\"]\n");
    child_process capture(demo_capture, {"--piece", "count.toml", "--at", "60", "--out", "stills"},
                          counting.folder.path());
    ASSERT_TRUE(capture.wait(120s));
    const std::string at_60 = png_rgb(counting.folder.path() / "stills" / "still_060.00.png");
    ASSERT_EQ(at_60.size(), 320u * 180 * 3) << capture.err();
    ASSERT_TRUE(counting.start({"--piece", "count.toml", "--start", "60", "--paused"})) << counting.process->err();
    ASSERT_TRUE(counting.wait_for_title("60.00 s | paused")) << counting.window_title();
    EXPECT_TRUE(counting.still() == at_60);
    // One back and forth is a replay from 0 again.
    counting.keys({"Left", "Right"});
    ASSERT_TRUE(counting.wait_for_title("60.00 s | paused")) << counting.window_title();
    EXPECT_TRUE(child_process::eventually([&] { return counting.still() == at_60; }, 30s));
    ASSERT_TRUE(test_support::request_close(std::stoul(counting.window)));
    ASSERT_TRUE(counting.process->wait(30s));
    EXPECT_EQ(counting.process->status(), 0) << counting.process->err();
}

TEST(DemoLive, ASavedPieceReplaysABrokenOneKeepsTheLastGoodPiece) {
    live_run run("live-e2e-piece");
    const std::string original =
        test_support::read_file(fs::path(ENGINE_SOURCE_DIR) / "pieces" / "courtyard.toml");
    // The camera row from 37 to 52 s holds still at this position.
    const std::string row_position = "position = [-5.24, 7.38, -4.64]";
    const std::string moved = replaced(original, row_position, "position = [-3.0, 6.0, -2.0]");
    ASSERT_FALSE(moved.empty());
    const fs::path piece = run.folder.write("piece.toml", original);

    ASSERT_TRUE(run.start({"--piece", "piece.toml", "--start", "45", "--paused"})) << run.process->err();
    ASSERT_TRUE(run.wait_for_title("45.00 s | paused")) << run.window_title();
    const std::string first = run.still();

    // A new file renamed over the piece: the frame of 45 s replayed with the moved camera.
    run.folder.write("piece.toml.new", moved);
    fs::rename(run.folder.path() / "piece.toml.new", piece);
    ASSERT_TRUE(child_process::eventually(
        [&] { return run.log_count("Piece reloaded from 'piece.toml'") == 1; }, 30s))
        << run.log();
    EXPECT_NE(run.log().find("(same assets: data replaced"), std::string::npos);
    EXPECT_NE(run.log().find("frame 2700 (45.00 s) shown: 2701 CPU steps"), std::string::npos) << run.log();
    std::string moved_still;
    ASSERT_TRUE(child_process::eventually([&] { return (moved_still = run.still()) != first; }, 30s));

    // The first piece written back in place: its picture again, exactly.
    write_in_place(piece, original);
    ASSERT_TRUE(child_process::eventually(
        [&] { return run.log_count("Piece reloaded from 'piece.toml'") == 2; }, 30s));
    ASSERT_TRUE(child_process::eventually([&] { return run.still() == first; }, 30s));

    // Its drum tracks found in the music instead: detected on the reload, they burst on the same frames.
    const std::string detected = found_in_music(found_in_music(original, "kick", "kick"), "snare", "snare");
    ASSERT_FALSE(detected.empty());
    write_in_place(piece, detected);
    ASSERT_TRUE(child_process::eventually(
        [&] { return run.log_count("Piece reloaded from 'piece.toml'") == 3; }, 30s));
    EXPECT_EQ(run.log_count("INFO: Detected 2 event tracks in '"), 1u) << run.log();
    ASSERT_TRUE(child_process::eventually([&] { return run.still() == first; }, 30s));

    // C: the camera of 45 s as a row to paste.
    run.keys({"c"});
    ASSERT_TRUE(child_process::eventually([&] { return run.log_count("Camera row (key C)") == 1; }, 30s));
    EXPECT_NE(run.process->out().find("[[camera]]\nfrom = 45.0\nuntil = 46.0\nbounds = \"[)\"\n" +
                                      row_position + "\ntilt = 0.629\npan = 8.24\n"),
              std::string::npos)
        << run.process->out();

    // A typo in a key, on the line of the row's tilt: reported where it is, and the last good piece plays on,
    // after a seek away and back too.
    const std::string typo = replaced(moved, "tilt = 0.629", "tlit = 0.629");
    const std::size_t line = 1 + std::count(typo.begin(), typo.begin() + typo.find("tlit"), '\n');
    write_in_place(piece, typo);
    const std::string where = "piece.toml:" + std::to_string(line) + ":1";
    ASSERT_TRUE(run.wait_for_title("| piece error " + where)) << run.window_title();
    EXPECT_NE(run.log().find("ERROR: Piece reload: " + where +
                             ": unknown key 'tlit' in a camera row; did you mean 'tilt'?; the last good piece keeps playing."),
              std::string::npos)
        << run.log();
    run.keys({"Right", "Left"});
    ASSERT_TRUE(
        child_process::eventually([&] { return run.log_count("Frame 2700 (45.00 s) shown") >= 2; }, 30s));
    EXPECT_TRUE(run.still() == first);

    // T: the track strip over the picture, and off again.
    run.keys({"t"});
    ASSERT_TRUE(child_process::eventually([&] { return run.still() != first; }, 30s));
    run.keys({"t"});
    ASSERT_TRUE(child_process::eventually([&] { return run.still() == first; }, 30s));

    ASSERT_TRUE(test_support::request_close(std::stoul(run.window)));
    ASSERT_TRUE(run.process->wait(30s));
    EXPECT_EQ(run.process->status(), 0) << run.process->err();
}

TEST(DemoLive, ASavedPieceWithOtherAssetsGetsANewActAndItsShadersWatched) {
    live_run run("live-e2e-piece-assets");
    const std::string original =
        test_support::read_file(fs::path(ENGINE_SOURCE_DIR) / "pieces" / "courtyard.toml");
    const fs::path shaders = fs::path(ENGINE_SOURCE_DIR) / "shaders";
    const std::string frag = test_support::read_file(shaders / "cube.frag");
    std::string red = frag;
    red.insert(red.rfind('}'), "    fragment_color = vec4(1.0, 0.0, 0.0, 1.0);\n");
    run.folder.write("mine/cube.vert", test_support::read_file(shaders / "cube.vert"));
    run.folder.write("mine/cube.frag", red);
    const fs::path piece = run.folder.write("piece.toml", original);

    ASSERT_TRUE(run.start({"--piece", "piece.toml", "--start", "45", "--paused"})) << run.process->err();
    ASSERT_TRUE(run.wait_for_title("45.00 s | paused")) << run.window_title();
    const std::string first = run.still();

    // The scene drawn with the piece's own shaders: a new act with them built.
    const std::string own = replaced(original, R"(scene = ["shaders/cube.vert", "shaders/cube.frag"])",
                                     R"(scene = ["mine/cube.vert", "mine/cube.frag"])");
    ASSERT_FALSE(own.empty());
    write_in_place(piece, own);
    ASSERT_TRUE(
        child_process::eventually([&] { return run.log_count("(new assets: act rebuilt") == 1; }, 60s))
        << run.log();
    std::string reddened;
    ASSERT_TRUE(child_process::eventually([&] { return (reddened = run.still()) != first; }, 30s));
    std::size_t red_pixels = 0;
    for (std::size_t i = 0; i + 2 < reddened.size(); i += 3)
        red_pixels += reddened.compare(i, 3, "\xff\x00\x00", 3) == 0 ? 1 : 0;
    EXPECT_GT(red_pixels, reddened.size() / 3 / 4);

    // Its shader folder is watched: the original fragment shader saved there gives the first picture back.
    run.folder.write("mine/cube.frag", frag);
    ASSERT_TRUE(child_process::eventually(
        [&] { return run.log_count("Shaders reloaded ('./mine/cube.frag')") == 1; }, 30s))
        << run.log();
    ASSERT_TRUE(child_process::eventually([&] { return run.still() == first; }, 30s));

    // The folder removed and copied back from a backup with the red shader: watched again, and built.
    run.folder.write("backup/cube.vert", test_support::read_file(shaders / "cube.vert"));
    run.folder.write("backup/cube.frag", red);
    fs::remove_all(run.folder.path() / "mine");
    fs::copy(run.folder.path() / "backup", run.folder.path() / "mine");
    ASSERT_TRUE(child_process::eventually([&] { return run.still() == reddened; }, 30s)) << run.log();
    EXPECT_EQ(run.log_count("INFO: The folder './mine' is back: watching it for shader files again."), 1u)
        << run.log();
    run.folder.write("mine/cube.frag", frag);
    ASSERT_TRUE(child_process::eventually([&] { return run.still() == first; }, 30s));

    // A bigger pool alone is a new act with room for it, so that the next save can throw the first light
    // from a block beyond the old pool.
    const std::string bigger = replaced(own, "pool_size = 1600", "pool_size = 3200");
    write_in_place(piece, bigger);
    ASSERT_TRUE(child_process::eventually(
        [&] { return run.log_count("Piece reloaded from 'piece.toml'") == 2; }, 60s));
    EXPECT_EQ(run.log_count("(new assets: act rebuilt"), 2u) << run.log();
    const std::string far_block =
        replaced(replaced(bigger, "lights = { light1 = 0,", "lights = { light1 = 20,"),
                 R"({ name = "left_window", block = 0, track = "kick")",
                 R"({ name = "left_window", block = 20, track = "kick")");
    ASSERT_FALSE(far_block.empty());
    write_in_place(piece, far_block);
    ASSERT_TRUE(child_process::eventually(
        [&] { return run.log_count("Piece reloaded from 'piece.toml'") == 3; }, 30s));
    ASSERT_TRUE(child_process::eventually([&] { return run.still() == first; }, 30s));

    // A sprite that cannot be loaded: reported with where the piece names it, and the act of the last good
    // piece stays.
    const std::string no_sprite = replaced(own, R"(file = "assets/kukka1.png")", R"(file = "assets/nothere.png")");
    write_in_place(piece, no_sprite);
    ASSERT_TRUE(run.wait_for_title("| piece error piece.toml")) << run.window_title();
    const std::size_t named = no_sprite.find("\"assets/nothere.png\"");
    const std::string place =
        std::to_string(1 + std::count(no_sprite.begin(), no_sprite.begin() + static_cast<std::ptrdiff_t>(named), '\n')) +
        ":" + std::to_string(named - no_sprite.rfind('\n', named));
    EXPECT_NE(
        run.log().find("ERROR: Piece reload: gl::texture_2d::from_file(): Unable to load texture data from "
                       "'assets/nothere.png' (named at piece.toml:" + place + "; looked in '" +
                       fs::canonical(run.folder.path()).string() + "'); the last good piece keeps playing."),
        std::string::npos)
        << run.log();
    EXPECT_TRUE(run.still() == first);

    ASSERT_TRUE(test_support::request_close(std::stoul(run.window)));
    ASSERT_TRUE(run.process->wait(30s));
    EXPECT_EQ(run.process->status(), 0) << run.process->err();
}

TEST(DemoLive, ASavedPieceWithOtherMusicPlaysIt) {
    live_run run("live-e2e-music");
    const std::string original =
        test_support::read_file(fs::path(ENGINE_SOURCE_DIR) / "pieces" / "courtyard.toml");
    // Other music: the generated music with every sample's bits turned over.
    std::string other = test_support::read_file(run.folder.path() / "assets" / "dat_bass.wav");
    const std::size_t data = other.find("data");
    ASSERT_NE(data, std::string::npos);
    for (std::size_t i = data + 8; i < other.size(); ++i)
        other[i] = static_cast<char>(~other[i]);
    run.folder.write("other.wav", other);
    const fs::path piece = run.folder.write("piece.toml", original);
    const fs::path audio = run.folder.path() / "audio.raw";
    ASSERT_TRUE(run.start({"--piece", "piece.toml", "--start", "10"},
                          {{"SDL_AUDIODRIVER", "disk"}, {"SDL_DISKAUDIOFILE", audio.string()}}))
        << run.process->err();

    write_in_place(piece, replaced(original, "music = \"assets/dat_bass.wav\"", "music = \"other.wav\""));
    ASSERT_TRUE(child_process::eventually(
        [&] { return run.log_count("INFO: Piece reload: the music is now './other.wav'.") == 1; }, 30s))
        << run.log();
    std::this_thread::sleep_for(1500ms);
    ASSERT_TRUE(test_support::request_close(std::stoul(run.window)));
    ASSERT_TRUE(run.process->wait(30s));
    EXPECT_EQ(run.process->status(), 0) << run.process->err();

    // What was heard last, a quarter of a second, is the new music's, on a whole sample frame of it and
    // after 10 s.
    const std::string recorded = test_support::read_file(audio);
    ASSERT_GE(recorded.size(), 88200u);
    const std::string heard = recorded.substr(recorded.size() / 4 * 4 - 88200, 44100);
    const std::string from_10 = music_bytes(run.folder.path() / "other.wav", 10.0, 60.0);
    const std::size_t at = from_10.find(heard);
    ASSERT_NE(at, std::string::npos) << "the new music plays on after the reload";
    EXPECT_EQ(at % 4, 0u);
}

TEST(DemoLive, RefusesABadCommandLine) {
    test_support::run_folder folder;
    for (const auto& [args, message] :
         {std::pair<std::vector<std::string>, std::string>{
              {"--loop", "12:10"}, "demo_live: --loop wants its end after its start, not '12:10'"},
          {{"--start", "100000"},
           "demo_live: --start wants seconds up to 4200 (the longest piece's end and 600 s more), "
           "not '100000'"}}) {
        child_process process(demo_live, args, folder.path());
        ASSERT_TRUE(process.wait(30s));
        EXPECT_EQ(process.status(), 2);
        EXPECT_NE(process.err().find(message), std::string::npos) << process.err();
        EXPECT_NE(process.err().find("usage: demo_live"), std::string::npos);
        EXPECT_FALSE(fs::exists(folder.path() / "test.log"));
    }
}

} // namespace
