// The piece reader: what a good file gives, and one table of bad snippets, each refused with its file,
// line, column and reason.

#include "piece/builtin_piece.hpp"
#include "piece/camera_rows.hpp"
#include "piece/read_piece.hpp"
#include "piece/scene_values.hpp"
#include "support/temp_dir.hpp"

#include <gtest/gtest.h>

#include <cmath>
#include <string>
#include <tuple>
#include <vector>

namespace {

// 15 lines; every snippet below starts on line 16.
const std::string base = "[piece]\n"
                         "name = \"t\"\n"
                         "length = 10\n"
                         "[assets]\n"
                         "model = \"m.obj\"\n"
                         "music = \"m.wav\"\n"
                         "[[sprites]]\n"
                         "name = \"dot\"\n"
                         "file = \"dot.png\"\n"
                         "sampler = \"kukka1\"\n"
                         "[[tracks]]\n"
                         "name = \"beat\"\n"
                         "events = [[0, 1, 1]]\n"
                         "[presets.puff]\n"
                         "count = 2\n";

std::string emitter(const std::string& fields) {
    return "[[sections]]\nemitters = [{ name = \"a\", interval = 0, origin = [0, 0, 0], direction = [0, 1, 0], " +
           fields + " }]\n";
}
const std::string good_emitter = "block = 1, track = \"beat\", sprite = \"dot\", preset = \"puff\"";

std::string row(const std::string& from, const std::string& until) {
    return "[[camera]]\nfrom = " + from + "\nuntil = " + until + "\nposition = [0, 1, 2]\ntilt = 0\npan = 0\n";
}

// A track found in the music, its detect table holding `fields`; the table is on the third line.
std::string detect(const std::string& fields, const std::string& name = "found") {
    return "[[tracks]]\nname = \"" + name + "\"\ndetect = { " + fields + " }\n";
}

piece::piece_data read(const std::string& text) {
    return piece::read_piece_text(text, "t.toml");
}

// Every frame is reached by stepping those before it, so a piece's length is bounded; a background is
// a colour.
TEST(read_piece, a_piece_longer_than_an_hour_or_with_a_background_beyond_white_is_refused) {
    EXPECT_NO_THROW(read(base));
    for (const auto& [from, to, message] :
         {std::tuple{"length = 10", "length = 3601", "t.toml:3:10: length must be at most 3600 seconds"},
          // An editor's byte-order mark is skipped, and the columns of the first line count from after it.
          std::tuple{"[piece]", "\xEF\xBB\xBF[piec]",
                     "t.toml:1:2: unknown key 'piec' in the file; did you mean 'piece'?"},
          std::tuple{"length = 10", "length = 10\nbackground = [0.5, 1.5, 0]",
                     "t.toml:4:14: background must be three numbers from 0 to 1"}}) {
        std::string text = base;
        text.replace(text.find(from), std::string(from).size(), to);
        try {
            read(text);
            ADD_FAILURE() << "accepted: " << to;
        } catch (const piece::piece_error& e) {
            EXPECT_STREQ(e.what(), message);
        }
    }
}

TEST(read_piece, bad_snippets_name_their_line_column_and_fault) {
    struct bad {
        std::string snippet;
        int line;          // from 16
        std::string token; // the column is where it first shows in that line
        std::string what;
    };
    const std::vector<bad> cases{
        {"[[sections]\n", 16, "\n", "Error while parsing"},
        {"[piece2]\n", 16, "piece2", "unknown key 'piece2' in the file; did you mean 'piece'?"},
        {"[presets]\n" + [] {
             std::string key = "a";
             for (int i = 0; i < 40000; ++i) key += ".a"; // toml++ ran out of stack on this one
             return key;
         }() + " = 1\n",
         17, "a", "a dotted key of more than 32 parts"},
        {"# \xc3\xa4 in a comment\n\xc3\xa4 = 1\n", 17, "\xc3", "a character beyond ASCII outside a string or comment"},
        {"[[tracks]]\nname = \"k\xc3\xa4\"\n", 17, "\xc3", "a character beyond ASCII in a string: write it as an escape"},
        {"[[sections]]\nfrom = 0\nuntill = 5\n", 18, "untill", "unknown key 'untill' in a section; did you mean 'until'?"},
        {"[[curves]]\ntarget = 5\n", 17, "5", "target must be a string, not an integer"},
        {"[[curves]]\ntarget = \"glow\"\ndefault = inf\n", 18, "inf", "default must be a finite number"},
        {"[[curves]]\ntarget = \"glow\"\ndefault = nan\n", 18, "nan", "default must be a finite number"},
        {"[[tracks]]\nname = \"b\"\nevents = [[0, 1, 1], [0.5, 2, 1]]\n", 18, "[0.5",
         "the event overlaps the one before it: it starts at 0.5, the one before ends at 1"},
        {"[[tracks]]\nname = \"b\"\nevents = [[2, 1, 1]]\n", 18, "[2", "the event ends before it starts"},
        {"[[tracks]]\nname = \"b\"\nevents = [[1, 1, 1]]\n", 18, "[1", "the event ends before it starts"},
        {"[[tracks]]\nname = \"beat\"\nevents = []\n", 16, "[[", "a second track named 'beat'"},
        {"[[tracks]]\nname = \"none\"\n", 16, "[[", "a track needs exactly one of 'events' and 'detect'"},
        {"[[tracks]]\nname = \"b\"\nevents = []\ndetect = { instrument = \"kick\" }\n", 19, "{",
         "a track needs exactly one of 'events' and 'detect'"},
        {detect("instrument = \"kik\""), 18, "\"kik\"", "instrument must be \"kick\", \"snare\", \"hat\""},
        {detect("instrument = 1"), 18, "1", "instrument must be a string, not an integer"},
        {detect("sensitivity = 0.5"), 18, "{", "detect needs the key 'instrument'"},
        {detect("instrument = \"hat\", sensitivty = 0.5"), 18, "sensitivty", "unknown key 'sensitivty' in detect"},
        {detect("instrument = \"hat\", sensitivity = 1.5"), 18, "1.5", "sensitivity must be a number from 0 to 1"},
        {detect("instrument = \"hat\", sensitivity = nan"), 18, "nan", "sensitivity must be a finite number"},
        {detect("instrument = \"hat\", min_gap = \"short\""), 18, "\"short\"", "min_gap must be a number, not a string"},
        {detect("instrument = \"hat\", min_gap = -0.1"), 18, "-0.1", "min_gap must be from 0 to 10 seconds"},
        {detect("instrument = \"hat\", length = 0"), 18, "0 }", "length must be above 0"},
        {detect("instrument = \"hat\", value = 1e7"), 18, "1e7", "value must be a number from -1e6 to 1e6"},
        {detect("instrument = \"band\", low = 800"), 18, "{", "detect needs the key 'high'"},
        {detect("instrument = \"band\", low = 800, high = 200"), 18, "200", "high must be above low"},
        {detect("instrument = \"band\", low = -1, high = 200"), 18, "-1", "low must not be negative"},
        {detect("instrument = \"snare\", high = 200"), 18, "200", "low and high belong to instrument = \"band\""},
        {"[[sections]]\nfrom = 5\n[[sections]]\nuntil = 4\n", 18, "[[",
         "the section starts before the one above it ends: it has no start, the one above has no end"},
        {row("0", "5") + row("4", "8"), 22, "[[",
         "the camera row starts before the one above it ends: it starts at 4, the one above ends at 5"},
        {row("0", "5") + "bounds = \"[]\"\n" + row("5", "8"), 23, "[[",
         "the camera row starts before the one above it ends: both hold 5"},
        {row("5", "5"), 17, "5", "the range ends before it starts"},
        {row("5", "5") + "bounds = \"[]\"\n", 16, "[[", "a camera row must last longer than an instant"},
        {"[[camera]]\nfrom = 0\nuntil = 1\nposition = [0, 1]\ntilt = 0\npan = 0\n", 19, "[",
         "position must be three numbers [x, y, z]"},
        {"[[camera]]\nfrom = 0\nuntil = 1\nposition = [0, 1, 2]\npan = 0\n", 16, "[[", "a camera row needs the key 'tilt'"},
        {"[[camera]]\nfrom = 0\nuntil = 1\nposition = [0, 1, 2]\nlook_at = [0, 0, 0]\ntilt = 0\n", 21, "0",
         "a camera row that has 'look_at' takes no tilt or pan"},
        {emitter("block = 1, track = \"nope\", sprite = \"dot\", preset = \"puff\""), 17, "\"nope\"", "no track named 'nope'"},
        {emitter("block = 1, track = \"baet\", sprite = \"dot\", preset = \"puff\""), 17, "\"baet\"",
         "no track named 'baet'; did you mean 'beat'?"},
        {emitter("block = 1, track = \"beat\", sprite = \"dot\", preset = \"puff\", intreval = 1"), 17, "intreval",
         "unknown key 'intreval' in an emitter; did you mean 'interval'?"},
        {emitter("block = 1, track = \"beat\", sprite = \"dot\", preset = \"poof\""), 17, "\"poof\"", "no preset named 'poof'"},
        {emitter("block = 1, track = \"beat\", sprite = \"dit\", preset = \"puff\""), 17, "\"dit\"", "no sprite named 'dit'"},
        {emitter("block = 16, track = \"beat\", sprite = \"dot\", preset = \"puff\""), 17, "16",
         "block 16 is outside the pool of 16 blocks"},
        {emitter(good_emitter + ", colour = 1"), 17, "colour", "unknown key 'colour' in an emitter"},
        {"[[sprites]]\nname = \"big\"\nfile = \"b.png\"\nsampler = \"s\"\nunit = 40\n", 20, "40", "unit must be from 3 to 31"},
        {"[[sprites]]\nname = \"big\"\nfile = \"b.png\"\nsampler = \"s\"\nunit = 2\n", 20, "2", "unit must be from 3 to 31"},
        {"[[sprites]]\nname = \"plain\"\nfile = \"p.png\"\n" + emitter("block = 1, track = \"beat\", sprite = \"plain\", preset = \"puff\""),
         20, "\"plain\"", "sprite 'plain' has no sampler, so no particle can show it"},
        {"[[curves]]\ntarget = \"glow\"\nsegments = [{ from = 2, until = 3, value = 1 }, { from = 1, until = 4, value = 2 }]\n",
         18, "{ from = 1", "the segment starts before the one above it ends: it starts at 1, the one above ends at 3"},
        {"[[curves]]\ntarget = \"glow\"\nsegments = [{ from = 0, until = 2, keys = [[1, 0], [1, 1]] }]\n", 18, "[1, 1]",
         "keys must be in increasing time"},
        {"[[curves]]\ntarget = \"glow\"\nsegments = [{ value = 1, keys = [[0, 1], [1, 2]] }]\n", 18, "{",
         "a segment needs exactly one of 'value', 'keys', 'ramp' and 'follow'"},
        {"[[curves]]\ntarget = \"glow\"\nsegments = [{ follow = { track = \"beet\" } }]\n", 18, "\"beet\"",
         "no track named 'beet'"},
        {"[[curves]]\ntarget = \"glow\"\nsegments = [{ follow = { track = \"beat\", release = -1 } }]\n", 18, "-1",
         "release must be from 0 to 60 seconds"},
        {"[[curves]]\ntarget = \"glow\"\nsegments = [{ follow = { track = \"beat\", scale = [1, 2, 3] } }]\n", 18,
         "[1", "the scale must have 1 component(s)"},
        {"[[curves]]\ntarget = \"fade_to_black_multiplier\"\ndefault = [1, 2, 3]\n", 16, "[[",
         "'fade_to_black_multiplier' is one number"},
        {"[[curves]]\ntarget = \"glow\"\nsegments = [{ ramp = { zero_at = 0, rise = 1, over = 0 } }]\n", 18, "0 }",
         "over must not be 0"},
        // Every value a curve, camera row or emitter gives at any t is a finite float.
        {"[[curves]]\ntarget = \"light1_position\"\ndefault = [0, 1e39, 0]\n", 18, "1e39",
         "default must be from -3.4e38 to 3.4e38, a float's range"},
        {"[[curves]]\ntarget = \"glow\"\nsegments = [{ from = 0, until = 1, keys = [[0, 1], [5e-324, 1]] }]\n", 18, "[[0",
         "the keys' value at t = 1 is not a finite float"},
        {"[[curves]]\ntarget = \"glow\"\nsegments = [{ until = 1, keys = [[0, 0], [1, 1e30]] }]\n", 18, "[[0",
         "the keys' value at t = -1e+09 is not a finite float"},
        {"[[curves]]\ntarget = \"glow\"\nsegments = [{ from = 0, until = 10, ramp = { zero_at = 0, rise = 1, over = 1e-300 } }]\n",
         18, "{ zero_at", "the ramp's value at t = 10 is not a finite float"},
        {"[[tracks]]\nname = \"loud\"\nevents = [[0, 1, 1e30]]\n[[curves]]\ntarget = \"glow\"\n"
         "segments = [{ follow = { track = \"loud\", scale = 1e10 } }]\n", 21, "{ track",
         "the follow's largest value, the largest event value times the scale, is beyond a float's range"},
        {"[[camera]]\nfrom = 0\nuntil = 1\nposition = [0, 1, 2]\ntilt = 1e39\npan = 0\n", 20, "1e39",
         "tilt must be from -3.4e38 to 3.4e38, a float's range"},
        {"[[camera]]\nfrom = 0\nuntil = 1\nrule = \"smooth\"\nposition = { from = [3e38, 0, 0], to = [-3e38, 0, 0] }\n"
         "tilt = 0\npan = 0\n", 16, "[[", "the smooth row's spline may leave a float's range"},
        {emitter(good_emitter).replace(emitter(good_emitter).find("origin = [0, 0, 0]"), 18, "origin = [0, 0, 1e39]"), 17,
         "1e39", "origin must be from -3.4e38 to 3.4e38, a float's range"},
        {"[[sections]]\nfrom = 0\nuntil = 1\nemitters = [{ name = \"a\", interval = 0, direction = [0, 1, 0], " + good_emitter +
             ", origin = { keys = [[0, [0, 0, 0]], [5e-324, [1, 1, 1]]] } }]\n",
         19, "{ keys", "the origin's value at t = 1 is not a finite float"},
    };
    for (const bad& c : cases) {
        SCOPED_TRACE(c.snippet.substr(0, 300));
        const std::string text = base + c.snippet;
        std::size_t start = 0;
        for (int l = 1; l < c.line; ++l) start = text.find('\n', start) + 1;
        const std::string line = text.substr(start, text.find('\n', start) - start + 1);
        const std::size_t column = line.find(c.token) + 1;
        ASSERT_NE(column, 0u) << "token not in line " << c.line;
        try {
            read(text);
            ADD_FAILURE() << "accepted";
        } catch (const piece::piece_error& e) {
            const std::string where = "t.toml:" + std::to_string(c.line) + ":" + std::to_string(column) + ": ";
            EXPECT_EQ(std::string(e.what()).substr(0, where.size() + c.what.size()), where + c.what);
        }
    }
}

TEST(read_piece, a_piece_is_bounded_in_size) {
    const std::string big = base + "# " + std::string(piece::max_file_bytes, 'x') + "\n";
    EXPECT_THROW(read(big), piece::piece_error);
    test_support::temp_dir dir;
    EXPECT_THROW(piece::read_piece_file(dir.write("big.toml", big)), piece::piece_error);
    EXPECT_THROW(piece::read_piece_file(dir.path() / "none.toml"), piece::piece_error);
}

TEST(read_piece, paths_are_found_beside_the_piece_first_then_in_the_working_directory) {
    test_support::temp_dir dir;
    dir.write("pieces/m.obj", "");
    const piece::piece_data p = piece::read_piece_file(dir.write("pieces/p.toml", base));
    EXPECT_EQ(p.model, (dir.path() / "pieces/m.obj").string());
    EXPECT_EQ(p.music, "m.wav");
    EXPECT_EQ(p.sprites[0].file, "dot.png");
    EXPECT_EQ(p.sprites[0].unit, 3) << "the first sampler's unit by default";
    EXPECT_EQ(p.scene_shaders[0], "shaders/cube.vert");
}

TEST(read_piece, curves_feed_any_uniform_and_smooth_rows_pass_through_their_keys) {
    const piece::piece_data p = read(base +
                                     "[[curves]]\ntarget = \"glow\"\ndefault = [1, 2, 3]\n"
                                     "segments = [{ from = 0, until = 2, keys = [[0, [0, 0, 0]], [1, [2, 4, 6]], [2, [0, 0, 0]]] }]\n" +
                                     row("0", "4") + "rule = \"smooth\"\n" + row("4", "8") + "rule = \"smooth\"\n");
    const scene_state s = piece::scene_values(p, 0.5);
    ASSERT_EQ(s.uniforms.size(), 1u);
    EXPECT_EQ(*s.uniforms[0].name, "glow");
    EXPECT_EQ(s.uniforms[0].value, glm::vec3(1.0f, 2.0f, 3.0f));
    EXPECT_EQ(piece::scene_values(p, 1.5).uniforms[0].value, glm::vec3(1.0f, 2.0f, 3.0f));
    EXPECT_EQ(piece::scene_values(p, 5.0).uniforms[0].value, glm::vec3(1.0f, 2.0f, 3.0f));
    EXPECT_EQ(s.fade, 1.0f) << "no fade curve: full picture";

    piece::piece_data moving = p;
    moving.camera[0].position = {{0.0, 0.0, 0.0}, {4.0, 0.0, 0.0}, true};
    moving.camera[1].position = {{4.0, 0.0, 0.0}, {4.0, 4.0, 0.0}, true};
    EXPECT_EQ(piece::camera_pose_at(moving, 4.0)->position, glm::vec3(4.0f, 0.0f, 0.0f));
    EXPECT_NEAR(piece::camera_pose_at(moving, 4.0 - 1e-9)->position.x, 4.0f, 1e-6) << "the rows meet";
    EXPECT_NEAR(piece::camera_pose_at(moving, 8.0 - 1e-9)->position.y, 4.0f, 1e-6);
    // Off the straight line, bent away from where the flight goes next.
    EXPECT_LT(piece::camera_pose_at(moving, 2.0)->position.y, 0.0f);
    EXPECT_FALSE(piece::camera_pose_at(moving, 8.0).has_value()) << "[4, 8) ends before 8";

    // A row that looks at a point keys the point as it keys the position.
    const piece::piece_data aiming = read(base + "[[camera]]\nfrom = 0\nuntil = 2\nposition = [0, 1, 0]\n"
                                                 "look_at = { from = [0, 0, -10], to = [10, 0, 0] }\n");
    const auto pose = piece::camera_pose_at(aiming, 1.0);
    ASSERT_TRUE(pose.has_value());
    const camera_pose expected = piece::aimed({0.0f, 1.0f, 0.0f}, {5.0f, 0.0f, -5.0f});
    EXPECT_EQ(pose->position, expected.position);
    EXPECT_EQ(pose->tilt, expected.tilt);
    EXPECT_EQ(pose->pan, expected.pan);
}

// A curve that follows a track: up over the attack, held while the event lasts, down over the release;
// a new hit cuts the tail of the one before it; the scale gives a vec3 curve its colour.
TEST(read_piece, a_curve_follows_the_events_of_a_track) {
    const piece::piece_data p = read(base +
                                     "[[tracks]]\nname = \"hits\"\nevents = [[1, 1.5, 2], [3, 3.1, 1], [3.2, 3.3, 0.5]]\n"
                                     "[[curves]]\ntarget = \"flash\"\ndefault = [0, 0, 9]\nsegments = [{ from = 0, until = 4, "
                                     "follow = { track = \"hits\", attack = 0.25, release = 1, scale = [1, 0.5, 0] } }]\n");
    const auto flash = [&](double t) { return piece::scene_values(p, t).uniforms.at(0).value; };
    EXPECT_EQ(flash(0.5), glm::vec3(0.0f)) << "before the first hit";
    EXPECT_EQ(flash(1.125), glm::vec3(1.0f, 0.5f, 0.0f)) << "half-way up";
    EXPECT_EQ(flash(1.4), glm::vec3(2.0f, 1.0f, 0.0f)) << "held while the event lasts";
    EXPECT_EQ(flash(2.25), glm::vec3(0.5f, 0.25f, 0.0f)) << "three quarters down";
    EXPECT_EQ(flash(2.75), glm::vec3(0.0f));
    EXPECT_EQ(flash(3.25), glm::vec3(0.1f, 0.05f, 0.0f))
        << "the third hit cuts the second's tail";
    EXPECT_EQ(flash(4.0), glm::vec3(0.0f, 0.0f, 9.0f)) << "after the segment, the default";
}

// Values at the edges: keys run on past their ends along the nearest pair's line; a follow without an
// attack is still 0 at its event's start, which is exclusive; a smooth row's constant holds whatever its
// neighbour does; a camera aimed at its own place faces -Z; far from 0 keys and ramps hold, so that a
// value the reader accepts stays finite at any t.
TEST(read_piece, values_at_the_edges) {
    const piece::piece_data p = read(
        base + "[[tracks]]\nname = \"hit\"\nevents = [[2, 3, 4]]\n"
               "[[curves]]\ntarget = \"keyed\"\nsegments = [{ keys = [[0, 0], [1, 2], [2, 3]] }]\n"
               "[[curves]]\ntarget = \"hit\"\nsegments = [{ follow = { track = \"hit\", release = 1 } }]\n"
               "[[curves]]\ntarget = \"steep\"\nsegments = [{ from = 0, ramp = { zero_at = 0, rise = 3e29, over = 1 } }]\n"
               "[[camera]]\nfrom = 0\nuntil = 4\nrule = \"smooth\"\nposition = [0, 1, 2]\ntilt = 0.5\npan = 0.5\n"
               "[[camera]]\nfrom = 4\nuntil = 8\nrule = \"smooth\"\nposition = [0, 1, 2]\n"
               "tilt = { from = 1.5, to = 0 }\npan = { from = -1, to = 0 }\n");
    const auto value = [&](std::size_t curve, double t) { return piece::scene_values(p, t).uniforms.at(curve).value.x; };
    for (const auto& [curve, t, expected] : {std::tuple{0, -1.0, -2.0f}, {0, 1.5, 2.5f}, {0, 3.0, 4.0f}, {0, 4.5, 5.5f},
                                            {1, 2.0, 0.0f}, {1, 2.5, 4.0f}, {1, 3.5, 2.0f}}) {
        SCOPED_TRACE(testing::Message() << "curve " << curve << " at " << t);
        EXPECT_EQ(value(static_cast<std::size_t>(curve), t), expected);
    }
    EXPECT_EQ(value(2, 1e300), value(2, piece::furthest_time));
    EXPECT_TRUE(std::isfinite(value(2, 1e300)));

    const auto held = piece::camera_pose_at(p, 2.0);
    ASSERT_TRUE(held.has_value());
    EXPECT_EQ(held->tilt, 0.5f);
    EXPECT_EQ(held->pan, 0.5f);
    const camera_pose itself = piece::aimed({1.0f, 2.0f, 3.0f}, {1.0f, 2.0f, 3.0f});
    EXPECT_EQ(itself.tilt, 0.0f);
    EXPECT_EQ(itself.pan, 0.0f);
}

TEST(read_piece, a_detected_track_holds_its_spec_and_no_events_until_the_music_is_read) {
    const piece::piece_data p = read(base + detect("instrument = \"band\", low = 200, high = 800.5, sensitivity = 0.75, "
                                                   "min_gap = 0.08, length = 0.02, value = -3") +
                                     detect("instrument = \"snare\"", "plain") + "[[sections]]\nemitters = [{ name = \"a\", "
                                     "interval = 0, origin = [0, 0, 0], direction = [0, 1, 0], block = 1, track = \"found\", "
                                     "sprite = \"dot\", preset = \"puff\" }]\n");
    ASSERT_EQ(p.tracks.size(), 3u);
    EXPECT_FALSE(piece::has_detected_tracks({p.tracks[0]}));
    EXPECT_TRUE(piece::has_detected_tracks(p.tracks));
    const auto* found = std::get_if<piece::detected_events>(&p.tracks[1].source);
    ASSERT_NE(found, nullptr);
    EXPECT_EQ(found->spec.what, music::instrument::band);
    EXPECT_EQ(found->spec.low_hz, 200.0);
    EXPECT_EQ(found->spec.high_hz, 800.5);
    EXPECT_EQ(found->spec.sensitivity, 0.75);
    EXPECT_EQ(found->spec.min_gap, 0.08);
    EXPECT_EQ(found->spec.length, 0.02);
    EXPECT_EQ(found->spec.value, -3.0);
    EXPECT_TRUE(piece::events_of(p.tracks[1]).empty());
    EXPECT_EQ(p.sections[0].emitters[0].track, 1u) << "emitters name a detected track like any other";
    const auto* plain = std::get_if<piece::detected_events>(&p.tracks[2].source);
    ASSERT_NE(plain, nullptr);
    EXPECT_EQ(plain->spec.what, music::instrument::snare);
    const music::detect_spec defaults;
    EXPECT_EQ(plain->spec.sensitivity, defaults.sensitivity);
    EXPECT_EQ(plain->spec.min_gap, defaults.min_gap);
    EXPECT_EQ(plain->spec.length, defaults.length);
    EXPECT_EQ(plain->spec.value, defaults.value);
}

TEST(read_piece, the_built_in_piece_reads) {
    const piece::piece_data p = piece::builtin_piece();
    EXPECT_EQ(p.name, "courtyard");
    EXPECT_EQ(p.tracks.size(), 4u);
    EXPECT_EQ(p.sections.size(), 2u);
    EXPECT_EQ(p.emitter_ids, 8u);
    EXPECT_EQ(p.file, "pieces/courtyard.toml");
}

} // namespace
