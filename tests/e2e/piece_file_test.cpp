// Piece files through the real programs: a bad file stops them at start-up with one message
// "<file>:<line>:<column>: <why>" and status 1; a copy of the built-in piece with one camera key changed
// changes the stills of that key's row and none before it; a copy whose drum tracks are found in the music
// plays as the built-in piece does.

#include "support/process.hpp"
#include "support/rgb_image.hpp"
#include "support/run_folder.hpp"
#include "support/temp_dir.hpp"
#include "support/xvfb.hpp"

#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

namespace {

using namespace std::chrono_literals;
using test_support::child_process;
namespace fs = std::filesystem;

static auto* const xvfb = ::testing::AddGlobalTestEnvironment(new test_support::xvfb_environment);

const std::string demo_capture = std::string(ENGINE_BINARY_DIR) + "/demo_capture";
const std::string demo = std::string(ENGINE_BINARY_DIR) + "/demo";
const std::string courtyard = test_support::read_file(fs::path(ENGINE_SOURCE_DIR) / "pieces/courtyard.toml");

// The built-in piece with the first `from` replaced by `to`.
std::string changed(const std::string& from, const std::string& to) {
    std::string text = courtyard;
    const std::size_t at = text.find(from);
    EXPECT_NE(at, std::string::npos) << from;
    return at == std::string::npos ? text : text.replace(at, from.size(), to);
}

// The built-in piece with the events of track `name` replaced by `source` ("events = []", "detect = {...}").
std::string with_track(std::string text, const std::string& name, const std::string& source) {
    const std::string head = "name = \"" + name + "\"\n";
    const std::size_t at = text.find(head + "events = [");
    const std::size_t end = text.find("\n]\n", at);
    EXPECT_NE(end, std::string::npos) << name;
    if (end == std::string::npos) return text;
    return text.replace(at, end + 3 - at, head + source + "\n");
}

// The count the record `Detected ... events.` gives `track`, or -1.
int detected_count(const std::string& record, const std::string& track) {
    const std::size_t at = record.find(" " + track + " ");
    return at == std::string::npos ? -1 : std::stoi(record.substr(at + track.size() + 2));
}

// Line and column of the first `token` in `text`, as "line:column".
std::string place(const std::string& text, const std::string& token) {
    const std::size_t at = text.find(token);
    if (at == std::string::npos) return "(" + token + " not found)";
    const std::size_t line_start = text.rfind('\n', at) + 1;
    const auto line = 1 + std::count(text.begin(), text.begin() + static_cast<std::ptrdiff_t>(at), '\n');
    return std::to_string(line) + ":" + std::to_string(at - line_start + 1);
}

TEST(PieceFile, BadFilesStopTheProgramsWithFileLineAndColumn) {
    test_support::run_folder folder;
    folder.write("config.ini", test_support::small_config("bad-piece"));
    struct bad {
        std::string text;
        std::string token; // where the message points
        std::string why;
    };
    const std::vector<bad> cases{
        {changed("pool_size = 1600", "pool_sise = 1600"), "pool_sise", "unknown key 'pool_sise' in [piece]"},
        {changed("[0.5, 0.6, 123]", "[0.5, 0.6, 123"), "", "Error while parsing"},
        {changed("length = 75.3", "length = \"long\""), "\"long\"", "length must be a number, not a string"},
        {changed("[0.9, 1.1, 10]", "[0.55, 1.1, 10]"), "[0.55", "the event overlaps the one before it"},
        {changed("track = \"snare\", interval = 0.05", "track = \"snares\", interval = 0.05"), "\"snares\"",
         "no track named 'snares'"},
        {changed("block = 7,", "block = 16,"), "16, track", "block 16 is outside the pool of 16 blocks"},
        {changed("from = 52.0\nuntil = 75.0", "from = 36.0\nuntil = 75.0"), "[[camera]]\nfrom = 36.0",
         "the camera row starts before the one above it ends"},
    };
    for (const bad& c : cases) {
        SCOPED_TRACE(c.why);
        const fs::path file = folder.write("pieces/bad.toml", c.text);
        child_process run(demo_capture, {"--at", "1", "--piece", file.string(), "--out", "stills"}, folder.path());
        ASSERT_TRUE(run.wait(60s));
        EXPECT_EQ(run.status(), 1);
        // The records of the start-up go first; the message is the last line. For a syntax error toml++
        // words the reason and places it at the end of the line that lacks its bracket.
        const std::string err = run.err();
        const std::size_t last = err.rfind('\n', err.size() - 2);
        const std::string message = err.substr(last == std::string::npos ? 0 : last + 1);
        const std::string where = c.token.empty() ? "" : ":" + place(c.text, c.token);
        EXPECT_EQ(message.rfind("demo_capture: " + file.string() + where, 0), 0u) << message;
        EXPECT_NE(message.find(": " + c.why), std::string::npos) << message;
        EXPECT_EQ(err.find(c.why), err.rfind(c.why)) << "one message";
    }

    // The demo takes the file from config.ini and says the same, without a prefix.
    const std::string typo = changed("pool_size = 1600", "pool_sise = 1600");
    folder.write("pieces/bad.toml", typo);
    folder.write("config.ini", test_support::small_config("bad-piece") + "\n[piece]\nfile = pieces/bad.toml\n");
    child_process run(demo, {}, folder.path(), {{"SDL_AUDIODRIVER", "dummy"}});
    ASSERT_TRUE(run.wait(60s));
    EXPECT_EQ(run.status(), 1);
    const std::string expected =
        "pieces/bad.toml:" + place(typo, "pool_sise") + ": unknown key 'pool_sise' in [piece]; did you mean 'pool_size'?\n";
    EXPECT_EQ(run.err().substr(run.err().size() - std::min(run.err().size(), expected.size())), expected) << run.err();
}

// A file the piece names that cannot be read stops the start with the loader's words, where the piece
// names it and the folders it was looked for in: the piece's, then the working directory.
TEST(PieceFile, AMissingFileStopsTheStartWithWhereThePieceNamesIt) {
    test_support::run_folder folder;
    folder.write("config.ini", test_support::small_config("missing-file"));
    fs::create_directory(folder.path() / "a_folder.png");
    const std::string looked_in = "; looked in 'pieces' and '" + fs::canonical(folder.path()).string() + "')";
    struct missing {
        std::string from;
        std::string to; // the token the message points at
        std::string words;
        std::string folders;
    };
    const std::vector<missing> cases{
        {"\"assets/toristin.obj\"", "\"assets/toristin2.obj\"",
         "load_obj(): Unable to open model file 'assets/toristin2.obj'", looked_in},
        {"\"assets/teksti.obj\"", "\"/nowhere/teksti.obj\"", "load_obj(): Unable to open model file '/nowhere/teksti.obj'",
         ")"},
        {"\"assets/dat_bass.wav\"", "\"assets/bass.wav\"",
         "player::player(): Unable to load music from 'assets/bass.wav': No such file or directory", looked_in},
        {"\"assets/valo2.png\"", "\"assets/valo4.png\"",
         "gl::texture_2d::from_file(): Unable to load texture data from 'assets/valo4.png'", looked_in},
        {"\"assets/star.png\"", "\"a_folder.png\"",
         "gl::texture_2d::from_file(): Unable to load texture data from 'a_folder.png'", looked_in},
        {"\"shaders/cube.frag\"", "\"shaders/cube2.frag\"", "Unable to read shader source from 'shaders/cube2.frag'",
         looked_in},
        {"\"shaders/particles.geom\"", "\"particles.geom\"", "Unable to read shader source from 'particles.geom'",
         looked_in},
    };
    for (const missing& c : cases) {
        SCOPED_TRACE(c.to);
        const std::string text = changed(c.from, c.to);
        folder.write("pieces/missing.toml", text);
        child_process run(demo_capture, {"--at", "1", "--piece", "pieces/missing.toml", "--out", "stills"},
                          folder.path());
        ASSERT_TRUE(run.wait(60s));
        EXPECT_EQ(run.status(), 1);
        const std::string err = run.err();
        const std::size_t last = err.rfind('\n', err.size() - 2);
        EXPECT_EQ(err.substr(last == std::string::npos ? 0 : last + 1),
                  "demo_capture: " + c.words + " (named at pieces/missing.toml:" + place(text, c.to) + c.folders + ".\n");
    }
}

TEST(PieceFile, OneChangedCameraKeyChangesItsRowAndNothingBefore) {
    test_support::run_folder folder;
    folder.write("config.ini", test_support::small_config("camera-key"));
    // The row from 37 to 52 s holds the camera still; raise it.
    const fs::path file = folder.write("pieces/raised.toml", changed("position = [-5.24, 7.38, -4.64]", "position = [-5.24, 6.9, -4.64]"));
    const auto capture = [&](const std::vector<std::string>& piece, const std::string& out) {
        std::vector<std::string> args{"--at", "30,36.9,45", "--fps", "10", "--size", "160x90", "--out", out};
        args.insert(args.end(), piece.begin(), piece.end());
        child_process run(demo_capture, args, folder.path());
        EXPECT_TRUE(run.wait(120s));
        EXPECT_EQ(run.status(), 0) << run.err();
    };
    capture({}, "built_in");
    capture({"--piece", file.string()}, "raised");
    for (const char* still : {"still_030.00.png", "still_036.90.png"})
        EXPECT_EQ(folder.read(std::string("built_in/") + still), folder.read(std::string("raised/") + still)) << still;
    EXPECT_NE(folder.read("built_in/still_045.00.png"), folder.read("raised/still_045.00.png"));

    // The piece's background is the sky: every pixel of the grey one turns blue, and no other.
    const fs::path blue = folder.write("pieces/blue.toml", changed("block_size = 100\n", "block_size = 100\nbackground = [0.2, 0.6, 1.0]\n"));
    capture({"--piece", blue.string()}, "blue");
    const test_support::rgb_image grey_sky(folder.path() / "built_in/still_030.00.png");
    const test_support::rgb_image blue_sky(folder.path() / "blue/still_030.00.png");
    ASSERT_EQ(grey_sky.rgb.size(), blue_sky.rgb.size());
    std::size_t sky = 0;
    for (std::size_t i = 0; i < grey_sky.pixels(); ++i) {
        const std::uint8_t* g = &grey_sky.rgb[3 * i];
        const std::uint8_t* b = &blue_sky.rgb[3 * i];
        const bool grey = g[0] == 102 && g[1] == 102 && g[2] == 102;
        sky += grey ? 1 : 0;
        EXPECT_TRUE(grey ? (b[0] == 51 && b[1] == 153 && b[2] == 255) : std::equal(g, g + 3, b)) << "pixel " << i;
    }
    EXPECT_GT(sky, grey_sky.pixels() / 20) << "the still at 30 s shows the sky";
}

} // namespace

namespace {

TEST(PieceFile, DrumTracksFoundInTheMusicBurstTheEmittersOnTheirHits) {
    test_support::run_folder folder;
    folder.write("config.ini", test_support::small_config("detected"));
    const std::string detected = with_track(with_track(courtyard, "kick", "detect = { instrument = \"kick\" }"), "snare",
                                            "detect = { instrument = \"snare\", sensitivity = 0.5 }");
    const fs::path found = folder.write("pieces/found.toml", detected);
    const fs::path silent = folder.write("pieces/silent.toml",
                                         with_track(with_track(courtyard, "kick", "events = []"), "snare", "events = []"));
    const auto capture = [&](const std::vector<std::string>& piece, const std::string& out) {
        std::vector<std::string> args{"--at", "30,45", "--out", out};
        args.insert(args.end(), piece.begin(), piece.end());
        child_process run(demo_capture, args, folder.path());
        EXPECT_TRUE(run.wait(120s));
        EXPECT_EQ(run.status(), 0) << run.err();
        return run.err();
    };
    const std::string built_in_log = capture({}, "built_in");
    const std::string found_log = capture({"--piece", found.string()}, "found");
    capture({"--piece", silent.string()}, "silent");

    EXPECT_EQ(built_in_log.find("Detected"), std::string::npos) << "nothing is detected for a piece of listed events";
    const std::string head = "INFO: Detected 2 event tracks in 'assets/dat_bass.wav' in ";
    const std::size_t at = found_log.find(head);
    ASSERT_NE(at, std::string::npos) << found_log;
    const std::string record = found_log.substr(at, found_log.find('\n', at) - at);
    EXPECT_EQ(found_log.find(head, at + 1), std::string::npos) << "one record";
    EXPECT_NE(record.find(" s: kick "), std::string::npos) << record;
    // The music plays 54 kicks and 54 snares of the built-in tracks below 75 s.
    EXPECT_NEAR(detected_count(record, "kick"), 54, 3) << record;
    EXPECT_NEAR(detected_count(record, "snare"), 54, 3) << record;

    for (const char* still : {"still_030.00.png", "still_045.00.png"}) {
        SCOPED_TRACE(still);
        // Every detected hit bursts its emitters on the frame the written hit does.
        EXPECT_EQ(folder.read(std::string("found/") + still), folder.read(std::string("built_in/") + still));
        EXPECT_NE(folder.read(std::string("silent/") + still), folder.read(std::string("built_in/") + still))
            << "the drum tracks' bursts show in the still";
    }

    // Music that cannot be decoded stops the program with the music's usual message.
    folder.write("assets/broken.wav", "RIFF, but nothing more");
    std::string broken = detected;
    broken.replace(broken.find("assets/dat_bass.wav"), 19, "assets/broken.wav");
    const fs::path broken_file = folder.write("pieces/broken.toml", broken);
    child_process run(demo_capture, {"--at", "30", "--piece", broken_file.string(), "--out", "broken"}, folder.path());
    ASSERT_TRUE(run.wait(60s));
    EXPECT_EQ(run.status(), 1);
    EXPECT_NE(run.err().find("demo_capture: player::player(): Unable to load music from 'assets/broken.wav': "),
              std::string::npos) << run.err();
}

} // namespace
