// The installed piece: this build tree installed with `cmake --install` into a scratch prefix, its launcher
// started from an unrelated folder with a scratch state folder, its window closed the way a user closes it.

#include "support/demo_run.hpp"
#include "support/process.hpp"
#include "support/rgb_image.hpp"
#include "support/run_folder.hpp"
#include "support/temp_dir.hpp"
#include "support/x_window.hpp"
#include "support/xvfb.hpp"

#include <gtest/gtest.h>

#include <map>
#include <memory>

namespace {

namespace fs = std::filesystem;
using namespace std::chrono_literals;
using test_support::child_process;
using test_support::read_file;

static auto* const xvfb = ::testing::AddGlobalTestEnvironment(new test_support::xvfb_environment);

const std::string name = ENGINE_PACKAGE_NAME;
using environment = std::map<std::string, std::string>;

// Every entry under `root` (links not followed) with its type, and the size and time of files and folders.
std::map<std::string, std::string> snapshot(const fs::path& root) {
    std::map<std::string, std::string> entries;
    for (const auto& entry : fs::recursive_directory_iterator(root)) {
        const fs::file_type type = entry.symlink_status().type();
        std::string what = std::to_string(static_cast<int>(type));
        if (type == fs::file_type::regular) what += " " + std::to_string(entry.file_size());
        if (type == fs::file_type::regular || type == fs::file_type::directory)
            what += " " + std::to_string(entry.last_write_time().time_since_epoch().count());
        entries[fs::relative(entry.path(), root).string()] = what;
    }
    return entries;
}

class Installed : public ::testing::Test {
protected:
    static void SetUpTestSuite() {
        prefix = std::make_unique<test_support::temp_dir>();
        child_process install(CMAKE_COMMAND_PATH,
                              {"--install", ENGINE_BINARY_DIR, "--prefix", prefix->path().string()},
                              prefix->path());
        if (!install.wait(300s) || install.status() != 0) {
            install_failure = "cmake --install failed:\n" + install.out() + install.err();
        }
        installed = snapshot(prefix->path());
    }
    static void TearDownTestSuite() { prefix.reset(); }

    void SetUp() override { ASSERT_TRUE(install_failure.empty()) << install_failure; }
    void TearDown() override {
        EXPECT_TRUE(snapshot(prefix->path()) == installed) << "a run wrote under the install prefix";
    }

    static fs::path launcher() { return prefix->path() / "bin" / name; }
    static fs::path data() { return prefix->path() / "share" / name; }
    fs::path run_folder() const { return state.path() / name; }
    environment env() const {
        return {{"XDG_STATE_HOME", state.path().string()}, {"SDL_AUDIODRIVER", "dummy"}};
    }

    // Starts the launcher with no arguments, waits for the window titled `title` and closes it.
    std::unique_ptr<child_process> play_and_close(const std::string& title) const {
        auto process = std::make_unique<child_process>(launcher().string(), std::vector<std::string>{},
                                                       caller.path(), env());
        const bool shown = child_process::eventually(
            [&] { return test_support::find_window(title) != 0 || !process->running(); }, 60s);
        EXPECT_TRUE(shown && test_support::request_close(title)) << "no window '" << title << "'\n"
                                                                 << process->err();
        EXPECT_TRUE(process->wait(30s)) << "the launcher did not end after its window was closed";
        return process;
    }

    static inline std::unique_ptr<test_support::temp_dir> prefix;
    static inline std::string install_failure;
    static inline std::map<std::string, std::string> installed;
    test_support::temp_dir state;  // XDG_STATE_HOME
    test_support::temp_dir caller; // the unrelated folder the launcher is started from
};

TEST_F(Installed, PlaysFromAnyFolderInTheUsersRunFolderAndKeepsTheirConfig) {
    const auto first = play_and_close("Toristin");
    EXPECT_EQ(first->status(), 0) << first->err();
    EXPECT_NE(read_file(run_folder() / "test.log").find("Core shutdown at "), std::string::npos);
    EXPECT_TRUE(fs::is_empty(caller.path())) << "nothing lands in the folder it is started from";
    EXPECT_FALSE(fs::is_symlink(run_folder() / "config.ini"));
    EXPECT_EQ(read_file(run_folder() / "config.ini"), read_file(data() / "config.ini"));
    for (const char* folder : {"shaders", "assets", "pieces"}) {
        EXPECT_TRUE(fs::is_symlink(run_folder() / folder)) << folder;
        EXPECT_TRUE(fs::equivalent(run_folder() / folder, data() / folder)) << folder;
    }

    // The user's edited copy is the one read, and it stays as the user left it; here it chooses the
    // installed second piece, which finds its own shaders through the run folder's links.
    const std::string edited =
        test_support::small_config("toristin-edited") + "\n[piece]\nfile = pieces/cloister_mist.toml\n";
    state.write(name + "/config.ini", edited);
    const auto second = play_and_close("toristin-edited");
    EXPECT_EQ(second->status(), 0) << second->err();
    EXPECT_NE(read_file(run_folder() / "test.log")
                  .find("Compiling fragment shader from 'shaders/cloister_mist/scene.frag'... Success."),
              std::string::npos);
    EXPECT_EQ(read_file(run_folder() / "config.ini"), edited);

    // A start-up failure's status and message come through.
    const std::string broken = test_support::config_with("screen_width", "wide");
    state.write(name + "/config.ini", broken);
    child_process third(launcher().string(), {}, caller.path(), env());
    ASSERT_TRUE(third.wait(60s));
    EXPECT_EQ(third.status(), 1);
    EXPECT_NE(third.err().find("conversion of data to type \"i\" failed"), std::string::npos) << third.err();
    EXPECT_EQ(read_file(run_folder() / "config.ini"), broken);
}

TEST_F(Installed, WithoutADisplayItPlaysUnderItsOwnXvfbAndSaysSo) {
    // No XDG_STATE_HOME: the run folder is under ~/.local/state.
    const environment headless{{"DISPLAY", ""},
                               {"XDG_STATE_HOME", ""},
                               {"HOME", state.path().string()},
                               {"PLAY_SECONDS", "1"},
                               {"SDL_AUDIODRIVER", "dummy"}};
    child_process process(launcher().string(), {}, caller.path(), headless);
    ASSERT_TRUE(process.wait(120s)) << process.out() << process.err();
    EXPECT_EQ(process.status(), 0) << process.err();
    EXPECT_NE(process.out().find(name + ": no display, so a private Xvfb"), std::string::npos)
        << process.out();
    const std::string log = read_file(state.path() / ".local/state" / name / "test.log");
    EXPECT_NE(log.find("DEBUG: window::event::close"), std::string::npos) << log;
    EXPECT_NE(log.find("Core shutdown at "), std::string::npos) << log;
}

TEST_F(Installed, CaptureWritesBesideTheCallerThroughALinkToTheLauncher) {
    const test_support::temp_dir links;
    fs::create_symlink(launcher(), links.path() / name);
    child_process capture((links.path() / name).string(),
                          {"--capture", "--at", "0.5", "--size", "64x36", "--out", "stills"}, caller.path(),
                          env());
    ASSERT_TRUE(capture.wait(120s)) << capture.err();
    EXPECT_EQ(capture.status(), 0) << capture.err();
    EXPECT_TRUE(fs::is_regular_file(caller.path() / "stills" / "still_000.50.png")) << capture.out();
    EXPECT_TRUE(fs::is_regular_file(run_folder() / "test.log"));
}

TEST_F(Installed, CaptureFindsTheCallersFilesAndOtherwiseTheRunFolders) {
    // my.frag lies in the caller's folder, not in the run folder the program reads.
    caller.write("my.frag", "void mainImage(out vec4 c, in vec2 p) { c = vec4(1.0, 0.0, 0.0, 1.0); }\n");
    child_process shader(launcher().string(),
                         {"--capture", "--shader", "my.frag", "--at", "1", "--size", "64x36"}, caller.path(),
                         env());
    ASSERT_TRUE(shader.wait(120s)) << shader.err();
    EXPECT_EQ(shader.status(), 0) << shader.err();
    const test_support::rgb_image still(caller.path() / "out" / "still_001.00.png");
    ASSERT_EQ(still.pixels(), 64u * 36u) << shader.out();
    std::size_t red = 0;
    for (std::size_t i = 0; i < still.pixels(); ++i)
        red += still.rgb[3 * i] == 255 && still.rgb[3 * i + 1] == 0 && still.rgb[3 * i + 2] == 0 ? 1 : 0;
    EXPECT_EQ(red, still.pixels());

    // No pieces/ in the caller's folder: the installed piece of that name, through the run folder.
    child_process piece(launcher().string(),
                        {"--capture", "--piece", "pieces/cloister_mist.toml", "--at", "0", "--size", "64x36"},
                        caller.path(), env());
    ASSERT_TRUE(piece.wait(120s)) << piece.err();
    EXPECT_EQ(piece.status(), 0) << piece.err();
    EXPECT_TRUE(fs::is_regular_file(caller.path() / "out" / "still_000.00.png")) << piece.out();
}

// --web in a copy of the installation (the web player is installed only when it was built): without the
// player it says so; with one it packs exactly the files the piece names, at the paths the player opens.
TEST_F(Installed, WebMakesAPageOfThePiecesFilesOrSaysThePlayerIsMissing) {
    const test_support::temp_dir copy;
    fs::copy(prefix->path(), copy.path(), fs::copy_options::recursive | fs::copy_options::copy_symlinks);
    const fs::path web = copy.path() / "share" / name / "web";
    const std::string copied_launcher = (copy.path() / "bin" / name).string();
    fs::remove_all(web);
    child_process missing(copied_launcher, {"--web", "page"}, caller.path(), env());
    ASSERT_TRUE(missing.wait(10s));
    EXPECT_EQ(missing.status(), 1);
    EXPECT_EQ(missing.err(), name + ": the web player is not installed (it is installed with the rest when "
                                    "scripts/web.sh has built it)\n");
    child_process no_folder(copied_launcher, {"--web", "--piece", "pieces/cloister_mist.toml"}, caller.path(), env());
    ASSERT_TRUE(no_folder.wait(10s));
    EXPECT_EQ(no_folder.status(), 2);

    for (const char* file : {"web_player.js", "web_player.wasm", "player.js"}) test_support::replace_file(web / file, file);
    child_process made(copied_launcher, {"--web", "page", "--piece", "pieces/cloister_mist.toml"}, caller.path(), env());
    ASSERT_TRUE(made.wait(60s));
    if (!fs::exists("/usr/share/emscripten/tools/file_packager.py")) {
        EXPECT_EQ(made.status(), 1);
        EXPECT_NE(made.err().find("emscripten's file packager"), std::string::npos) << made.err();
        return;
    }
    ASSERT_EQ(made.status(), 0) << made.err();
    const fs::path page = caller.path() / "page";
    EXPECT_EQ(read_file(page / "web_player.wasm"), "web_player.wasm");
    EXPECT_NE(read_file(page / "index.html").find("data-piece=\"pieces/cloister_mist.toml\""), std::string::npos);
    const std::string packed = read_file(page / "piece.js");
    std::size_t count = 0;
    for (std::size_t at = 0; (at = packed.find("\"filename\":", at)) != std::string::npos; ++at) ++count;
    EXPECT_EQ(count, 18u) << "the piece, config.ini and the 16 files piece_export lists";
    for (const char* file : {"/pieces/cloister_mist.toml", "/config.ini", "/shaders/cloister_mist/scene.frag",
                             "/assets/toristin_diffuse.png", "/assets/dat_bass.wav"})
        EXPECT_NE(packed.find(std::string("\"") + file + "\""), std::string::npos) << file;
}

TEST_F(Installed, AnyOtherFirstArgumentIsAUsageError) {
    child_process process(launcher().string(), {"--play"}, caller.path(), env());
    ASSERT_TRUE(process.wait(10s));
    EXPECT_EQ(process.status(), 2);
    EXPECT_EQ(process.err().rfind("usage: " + name, 0), 0u) << process.err();
    EXPECT_FALSE(fs::exists(run_folder()));
}

} // namespace
