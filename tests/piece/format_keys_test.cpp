// Bad values of a piece's music start, gravity, moving emitters, coloured lights and sky uniform, each
// refused with its place (the good ones are read by the acts' and e2e tests).

#include "piece/read_piece.hpp"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

// 16 lines; every snippet below starts on line 17.
const std::string base = "[piece]\n"
                         "name = \"t\"\n"
                         "length = 30\n"
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
                         "count = 2\n"
                         "# the snippet\n";

piece::piece_data read(const std::string& text) {
    return piece::read_piece_text(text, "t.toml");
}

std::string section(const std::string& emitter_fields, const std::string& lights = "\"default\"") {
    return "[[sections]]\nlights = " + lights +
           "\nemitters = [{ name = \"a\", block = 1, track = \"beat\", interval = 0, "
           "sprite = \"dot\", preset = \"puff\", " +
           emitter_fields + " }]\n";
}
const std::string still = "origin = [0, 1, 0], direction = [0, 1, 0]";

// "t.toml:<line>:<column of the first `token` in that line>: "
std::string place(const std::string& text, int line, const std::string& token) {
    std::size_t at = 0;
    for (int l = 1; l < line; ++l)
        at = text.find('\n', at) + 1;
    return "t.toml:" + std::to_string(line) + ":" + std::to_string(text.find(token, at) - at + 1) + ": ";
}

TEST(format_keys, bad_values_are_refused_with_their_place) {
    struct bad {
        std::string text;
        int line;
        std::string token;
        std::string message;
    };
    const auto header = [](const std::string& line) {
        std::string text = base;
        return text.replace(text.find("length = 30"), 11, "length = 30\n" + line);
    };
    const auto preset = [](const std::string& line) {
        std::string text = base;
        return text.replace(text.find("count = 2"), 9, "count = 2\n" + line);
    };
    const std::vector<bad> cases{
        {header("music_start = -0.5"), 4, "-0.5", "music_start must be from 0 to 86400 seconds"},
        {preset("gravity = 1001"), 16, "1001", "gravity must be from -1000 to 1000 units/s^2"},
        {base + section("origin = [0, 1, 0], direction = { keys = [[0, 1], [1, 2]] }"), 19, "1]",
         "the value must have 3 component(s)"},
        {base + section("origin = { from = [0, 1, 0], to = [1, 1, 0] }, direction = [0, 1, 0]"), 19, "from",
         "unknown key 'from' in origin"},
        {base + section(still, "{ light1 = { block = 0, color = [1.0, 0.7, 1.4] } }"), 18, "[1.0",
         "color must be three numbers from 0 to 1"},
        {base + "[[curves]]\ntarget = \"background_color\"\ndefault = [0, 0, 0]\n", 18, "\"",
         "background_color is the piece's background: set it with [piece] background"},
    };
    for (const bad& c : cases) {
        const std::string message = place(c.text, c.line, c.token) + c.message;
        SCOPED_TRACE(message);
        try {
            read(c.text);
            ADD_FAILURE() << "accepted";
        } catch (const piece::piece_error& e) {
            EXPECT_EQ(std::string(e.what()).substr(0, message.size()), message);
        }
    }
}

} // namespace
