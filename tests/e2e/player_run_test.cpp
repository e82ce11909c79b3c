// The real program in a scratch run folder under Xvfb, with SDL's disk audio driver recording every
// byte handed to the audio device, closed the way a user closes a window.

#include "support/demo_run.hpp"
#include "support/process.hpp"
#include "support/run_folder.hpp"
#include "support/screen_still.hpp"
#include "support/wav.hpp"
#include "support/x_window.hpp"
#include "support/xvfb.hpp"

#include <gtest/gtest.h>

#include <algorithm>
#include <csignal>
#include <regex>
#include <thread>
#include <vector>

namespace {

using namespace std::chrono_literals;
using test_support::child_process;

static auto* const xvfb = ::testing::AddGlobalTestEnvironment(new test_support::xvfb_environment);

const std::string demo = std::string(ENGINE_BINARY_DIR) + "/demo";

struct demo_run {
    test_support::run_folder folder;
    std::string title;
    std::unique_ptr<child_process> process;

    explicit demo_run(const std::string& window_title)
        : title(window_title) {
        folder.write("config.ini", test_support::small_config(title));
    }
    void start() {
        process = std::make_unique<child_process>(
            demo, std::vector<std::string>{}, folder.path(),
            std::map<std::string, std::string>{
                {"SDL_AUDIODRIVER", "disk"}, {"SDL_DISKAUDIOFILE", (folder.path() / "audio.raw").string()}});
    }
    std::string log() const { return folder.read("test.log"); }
    bool log_has(const std::string& text) const { return log().find(text) != std::string::npos; }
    void close_and_wait() {
        ASSERT_TRUE(child_process::eventually([&] { return test_support::find_window(title) != 0; }, 30s))
            << process->err();
        ASSERT_TRUE(test_support::request_close(title));
        ASSERT_TRUE(process->wait(30s)) << "the program did not end after its window was closed";
    }
};

// Each of `texts` found in `text`, each after the one before.
void expect_in_order(const std::string& text, const std::vector<std::string>& texts) {
    std::size_t from = 0;
    for (const std::string& t : texts) {
        const std::size_t at = text.find(t, from);
        ASSERT_NE(at, std::string::npos) << "'" << t << "' missing or out of order in:\n" << text;
        from = at + t.size();
    }
}

// The time stamp of the first record holding `text`; -1 when there is none.
double record_time(const std::string& log, const std::string& text) {
    const std::size_t at = log.find(text);
    if (at == std::string::npos) return -1.0;
    const std::size_t line = log.rfind("\n[", at);
    return std::stod(log.substr(line == std::string::npos ? 1 : line + 2));
}

std::string as_bytes(const std::vector<std::int16_t>& samples) {
    std::string bytes;
    for (const std::int16_t s : samples) {
        bytes += static_cast<char>(static_cast<std::uint16_t>(s) & 0xFF);
        bytes += static_cast<char>(static_cast<std::uint16_t>(s) >> 8);
    }
    return bytes;
}

TEST(PlayerRun, PlaysTheMusicOnceAndEndsWhenTheWindowIsClosed) {
    demo_run run("player-e2e-music");
    const auto tone = test_support::test_tone(11025); // half a second
    // Replaces the link to the generated music; writing through it would change the repository's file.
    run.folder.write("assets/dat_bass.wav", test_support::wav_bytes(tone, 2, 22050));
    run.start();
    ASSERT_TRUE(child_process::eventually([&] { return run.log_has("Music stopped."); }, 30s))
        << run.process->err() << run.log();
    run.close_and_wait();
    EXPECT_EQ(run.process->status(), 0) << run.process->err();

    // The three texts written straight to standard output, nothing else.
    const std::string out = run.process->out();
    std::smatch offset;
    EXPECT_TRUE(std::regex_match(
        out, offset,
        std::regex("sound state initialized\n constructing test_act\nset offset: ([0-9.]+(e[-+][0-9]+)?)")))
        << out;
    // The event tracks start with the music: their offset lies after the start-up's records and before
    // the music ends.
    if (!offset.empty()) {
        const double at = std::stod(offset[1]);
        EXPECT_GT(at, record_time(run.log(), "Linking particle shaders to a program object... Success."));
        EXPECT_LT(at, record_time(run.log(), "Music stopped."));
    }

    // The run's records in order, on the console and in test.log alike; debug ones only in test.log.
    const std::string log = run.log();
    const std::string err = run.process->err();
    const std::vector<std::string> records{
        "Platform has 1 monitors.",
        "Initializing SDL_Audio...",
        "Loading configuration options from 'config.ini'...",
        "GL_ARB_debug_output supported: Yes",
        "Music succesfully loaded!",
        "Opened sound device with capabilities:",
        "Compiling vertex shader from 'shaders/cube.vert'... Success.",
        "Compiling fragment shader from 'shaders/cube.frag'... Success.",
        "Linking shaders to a program object... Success.",
        "Compiling vertex shader from 'shaders/particles.vert'... Success.",
        "Compiling geometry shader from 'shaders/particles.geom'... Success.",
        "Compiling fragment shader from 'shaders/particles.frag'... Success.",
        "Linking particle shaders to a program object... Success.",
        "Music stopped.",
        "Core shutdown at "};
    expect_in_order(err, records);
    expect_in_order(log, records);
    expect_in_order(log, {"DEBUG: Initializing GLFW...", "Platform has 1 monitors.",
                          "DEBUG: window::event::close", "Core shutdown at ", "DEBUG: Terminating GLFW..."});
    for (const char* debug_only : {"Initializing GLFW...", "window::event::", "Terminating GLFW..."}) {
        EXPECT_EQ(err.find(debug_only), std::string::npos) << debug_only << " reaches only test.log";
    }
    // Every shader compiles and both programs link.
    const std::regex outcome("(Compiling \\w+ shader from '[^']*'|Linking (particle )?shaders to a program "
                             "object)\\.\\.\\. (\\w+)\\.");
    int outcomes = 0;
    for (auto it = std::sregex_iterator(log.begin(), log.end(), outcome); it != std::sregex_iterator();
         ++it) {
        ++outcomes;
        EXPECT_EQ((*it)[3].str(), "Success") << (*it)[0].str();
    }
    EXPECT_EQ(outcomes, 7);
    for (const char* detail :
         {"  Sample rate: 22050", "  Audio format: 32784", "  Channls: 2", "  Silence value: 0"}) {
        EXPECT_NE(log.find(detail), std::string::npos) << detail;
    }
    EXPECT_EQ(log.find('\0'), std::string::npos) << "the log stays text";

    // The device plays silence while paused, then every sample exactly once, in order, then silence.
    const std::string audio = run.folder.read("audio.raw");
    const std::string music = as_bytes(tone);
    const std::size_t start = audio.find(music);
    ASSERT_NE(start, std::string::npos) << "the recorded audio does not hold the music in order";
    EXPECT_EQ(start % 4, 0u);
    EXPECT_TRUE(std::all_of(audio.begin(), audio.begin() + static_cast<std::ptrdiff_t>(start),
                            [](char c) { return c == 0; }));
    EXPECT_TRUE(std::all_of(audio.begin() + static_cast<std::ptrdiff_t>(start + music.size()), audio.end(),
                            [](char c) { return c == 0; }));
}

TEST(PlayerRun, PointerAndWheelInputThenClosingWhileTheMusicPlays) {
    demo_run run("player-e2e-early-close");
    run.folder.write("assets/dat_bass.wav",
                     test_support::wav_bytes(test_support::test_tone(22050 * 20), 2, 22050));
    run.start();
    // "set offset: " is not flushed until exit; the first window event comes from the loop's first poll.
    ASSERT_TRUE(child_process::eventually([&] { return run.log_has("DEBUG: window::event::"); }, 30s))
        << run.process->err();
    std::this_thread::sleep_for(1s);
    const std::string opening = test_support::screen_still(run.title);
    EXPECT_GT(test_support::luminance_variance(opening), 100.0) << "the opening shows the scene, not a blank window";

    // Real pointer motion and wheel turns over the window, through the X server's test extension.
    child_process search("xdotool", {"search", "--name", "^" + run.title + "$"}, run.folder.path());
    ASSERT_TRUE(search.wait(10s));
    const std::string id = search.out().substr(0, search.out().find('\n'));
    ASSERT_FALSE(id.empty()) << search.err();
    const auto xdotool = [&](const std::vector<std::string>& args) {
        child_process tool("xdotool", args, run.folder.path());
        ASSERT_TRUE(tool.wait(10s));
        EXPECT_EQ(tool.status(), 0) << tool.err();
    };
    xdotool({"mousemove", "--window", id, "20", "20"});
    xdotool({"mousemove", "--window", id, "200", "150"});
    xdotool({"click", "--repeat", "2", "4"}); // wheel up
    xdotool({"click", "5"});                  // wheel down
    std::this_thread::sleep_for(500ms);
    EXPECT_NE(test_support::screen_still(run.title), opening) << "the loop goes on drawing after the input";

    run.close_and_wait();
    EXPECT_EQ(run.process->status(), 0) << run.process->err();
    const std::string log = run.log();
    EXPECT_NE(log.find("DEBUG: window::event::close"), std::string::npos) << log;
    EXPECT_EQ(log.find("Music stopped."), std::string::npos);
    EXPECT_NE(log.find("Core shutdown at "), std::string::npos) << log;
    EXPECT_NE(log.find("Terminating GLFW..."), std::string::npos) << log;
}

// Ctrl+C in a terminal (SIGINT) and `kill` (SIGTERM) end the piece the way closing its window does, even
// when the signal arrives twice.
TEST(PlayerRun, StopSignalsEndThePieceLikeClosingTheWindow) {
    for (const auto& [signal, name] : {std::pair{SIGINT, "SIGINT"}, std::pair{SIGTERM, "SIGTERM"}}) {
        SCOPED_TRACE(name);
        demo_run run(std::string("player-e2e-") + name);
        run.start();
        ASSERT_TRUE(child_process::eventually([&] { return run.log_has("DEBUG: window::event::"); }, 30s))
            << run.process->err();
        // Two copies a moment apart, as `timeout` or a kill of the process group delivers them.
        ASSERT_EQ(kill(run.process->pid(), signal), 0);
        std::this_thread::sleep_for(3ms);
        ASSERT_EQ(kill(run.process->pid(), signal), 0);
        ASSERT_TRUE(run.process->wait(30s)) << "the program did not end after " << name;
        EXPECT_EQ(run.process->status(), 0) << run.process->err();
        expect_in_order(run.log(), {std::string("INFO: core_module::update(): ") + name +
                                        " received; closing the windows.",
                                    "INFO: Core shutdown at ", "DEBUG: Terminating GLFW..."});
        EXPECT_NE(run.process->err().find("INFO: Core shutdown at "), std::string::npos);
        EXPECT_TRUE(
            run.process->out().starts_with("sound state initialized\n constructing test_act\nset offset: "))
            << run.process->out();
    }
}

// config.ini's piece.file chooses the second piece: its own shaders build and it plays until closed.
TEST(PlayerRun, PlaysTheSecondPieceNamedInConfigIni) {
    demo_run run("player-e2e-second-piece");
    const std::string piece = std::string(ENGINE_SOURCE_DIR) + "/pieces/cloister_mist.toml";
    run.folder.write("config.ini",
                     test_support::small_config(run.title) + "\n[piece]\nfile = " + piece + "\n");
    run.start();
    ASSERT_TRUE(child_process::eventually([&] { return run.log_has("DEBUG: window::event::"); }, 30s))
        << run.process->err() << run.log();
    std::this_thread::sleep_for(2s);
    run.close_and_wait();
    EXPECT_EQ(run.process->status(), 0) << run.process->err();
    expect_in_order(run.log(),
                    {"Compiling vertex shader from 'shaders/cloister_mist/scene.vert'... Success.",
                     "Compiling fragment shader from 'shaders/cloister_mist/scene.frag'... Success.",
                     "Linking shaders to a program object... Success.",
                     "Compiling geometry shader from 'shaders/cloister_mist/particles.geom'... Success.",
                     "Compiling fragment shader from 'shaders/cloister_mist/particles.frag'... Success.",
                     "Linking particle shaders to a program object... Success.",
                     "DEBUG: window::event::close", "Core shutdown at "});
}

// Start-up failures: one clear message on standard error, status 1, test.log holding the records up to
// the failure, config.ini never written.
struct bad_start {
    const char* name;
    const char* config; // nullptr: no config.ini
    bool remove_music;
    const char* music; // replaces the music file when set
    const char* message;
};

class PlayerStartFailure : public ::testing::TestWithParam<bad_start> {};

TEST_P(PlayerStartFailure, EndsWithOneClearMessage) {
    const bad_start& c = GetParam();
    test_support::run_folder folder;
    if (c.config != nullptr) folder.write("config.ini", c.config);
    if (c.remove_music) folder.remove("assets/dat_bass.wav");
    if (c.music != nullptr) folder.write("assets/dat_bass.wav", c.music);
    const std::string config_before = c.config != nullptr ? folder.read("config.ini") : "";

    child_process process(demo, {}, folder.path(), {{"SDL_AUDIODRIVER", "dummy"}});
    ASSERT_TRUE(process.wait(30s));
    EXPECT_EQ(process.status(), 1) << process.err();
    EXPECT_NE(process.err().find(c.message), std::string::npos) << process.err();
    EXPECT_NE(folder.read("test.log").find("Core shutdown at "), std::string::npos);
    EXPECT_EQ(folder.read("config.ini"), config_before) << "config.ini is never written";
}

using test_support::config_with;
using test_support::config_without;

const std::string no_title = config_without("title");
const std::string bad_width = config_with("screen_width", "wide");
const std::string zero_height = config_with("screen_height", "0");
const std::string bad_fullscreen = config_with("fullscreen", "maybe");
const std::string good = test_support::small_config("bad");

INSTANTIATE_TEST_SUITE_P(
    Inputs, PlayerStartFailure,
    ::testing::Values(bad_start{"missing_config", nullptr, false, nullptr,
                                "config_manager::load(): config.ini: cannot open file"},
                      bad_start{"syntax_error", "[display\n", false, nullptr,
                                "config_manager::load(): config.ini(1): unmatched '['"},
                      bad_start{"missing_key", no_title.c_str(), false, nullptr,
                                "config_manager::get(): No such node (display.title)"},
                      bad_start{"bad_int", bad_width.c_str(), false, nullptr,
                                "config_manager::get(): conversion of data to type \"i\" failed"},
                      bad_start{"bad_bool", bad_fullscreen.c_str(), false, nullptr,
                                "config_manager::get(): conversion of data to type \"b\" failed"},
                      bad_start{"zero_height", zero_height.c_str(), false, nullptr,
                                "window::open(): Unable to open window."},
                      bad_start{"missing_music", good.c_str(), true, nullptr, "assets/dat_bass.wav"},
                      bad_start{"not_a_wav", good.c_str(), false, "this is not a RIFF file",
                                "assets/dat_bass.wav"}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(PlayerStartFailure, MusicFailureIsLoggedFirst) {
    test_support::run_folder folder;
    folder.write("config.ini", test_support::small_config("bad-music"));
    folder.write("assets/dat_bass.wav", "RIFF garbage");
    child_process process(demo, {}, folder.path(), {{"SDL_AUDIODRIVER", "dummy"}});
    ASSERT_TRUE(process.wait(30s));
    EXPECT_EQ(process.status(), 1);
    const std::string log = folder.read("test.log");
    EXPECT_NE(log.find("   ERROR: Failed to load music!"), std::string::npos) << log;
    EXPECT_EQ(log.find("Music succesfully loaded!"), std::string::npos);
}

} // namespace
