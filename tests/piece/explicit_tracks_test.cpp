// Detected tracks written out as events: exactly the `detect = { ... }` is replaced, every other byte of the
// file stays (a byte-order mark, CRLF lines, comments beyond ASCII), the numbers read back to the bit, and a
// detect table with no one place to replace is refused where it is.

#include "piece/explicit_tracks.hpp"
#include "piece/read_piece.hpp"

#include <gtest/gtest.h>

#include <bit>
#include <cstdint>
#include <string>
#include <variant>
#include <vector>

namespace {

const std::string head = "[piece]\nname = \"t\"\nlength = 4\n[assets]\nmodel = \"m.obj\"\nmusic = \"m.wav\"\n";

// `text` read, each detected track given `events`, written out.
std::string written(const std::string& text, const std::vector<piece::event>& events) {
    piece::piece_data p = piece::read_piece_text(text, "t.toml");
    for (piece::track& t : p.tracks)
        if (auto* d = std::get_if<piece::detected_events>(&t.source)) d->events = events;
    return piece::with_explicit_tracks(text, "t.toml", p);
}

struct case_text {
    const char* what;
    std::string piece;
    std::string expected;
};

TEST(explicit_tracks, replace_the_detect_table_alone) {
    const std::vector<piece::event> events{{-0.0, 0.30000000000000004, 1.0}, {1.5, 2.0, -2.5e-07}};
    const std::string listed = "events = [ # found in the music by detect = { instrument = \"kick\" }\n"
                               "    [-0.0, 0.30000000000000004, 1.0],\n"
                               "    [1.5, 2.0, -2.5e-07],\n"
                               "]";
    const case_text cases[] = {
        {"a track table, a comment after it",
         head + "[[tracks]] # \xc3\xa4\nname = \"k\"\ndetect = { instrument = \"kick\" } # hits\n[[tracks]]\n"
                "name = \"x\"\nevents = [[0.1, 0.2, 3]]\n",
         head + "[[tracks]] # \xc3\xa4\nname = \"k\"\n" + listed + " # hits\n[[tracks]]\nname = \"x\"\n"
                "events = [[0.1, 0.2, 3]]\n"},
        {"an inline track", "tracks = [{ name = \"k\", detect = { instrument = \"kick\" } }]\n" + head,
         "tracks = [{ name = \"k\", " + listed + " }]\n" + head},
        {"CRLF lines", head + "[[tracks]]\r\nname = \"k\"\r\n  detect = { instrument = \"kick\" }\r\n",
         head + "[[tracks]]\r\nname = \"k\"\r\n  " + listed + "\r\n"},
    };
    for (const case_text& c : cases) {
        SCOPED_TRACE(c.what);
        const std::string out = written(c.piece, events);
        EXPECT_EQ(out, c.expected);
        // Read back as the player reads it, the events are the same to the bit.
        const piece::piece_data back = piece::read_piece_text(out, "t.toml");
        const std::vector<piece::event>& read = piece::events_of(back.tracks[0]);
        ASSERT_EQ(read.size(), events.size());
        for (std::size_t i = 0; i < events.size(); ++i)
            for (const auto& [a, b] : {std::pair{read[i].start, events[i].start}, std::pair{read[i].end, events[i].end},
                                       std::pair{read[i].value, events[i].value}})
                EXPECT_EQ(std::bit_cast<std::uint64_t>(a), std::bit_cast<std::uint64_t>(b)) << i;
    }
}

TEST(explicit_tracks, keep_a_byte_order_mark_and_write_an_empty_track) {
    const std::string mark = "\xEF\xBB\xBF";
    EXPECT_EQ(written(mark + head + "[[tracks]]\nname = \"k\"\ndetect = { instrument = \"onsets\" }\n", {}),
              mark + head + "[[tracks]]\nname = \"k\"\nevents = [ # found in the music by detect = { instrument = "
                            "\"onsets\" }\n]\n");
    // Without detected tracks the text is returned as it is, whatever it holds.
    const std::string plain = mark + head + "# \xc3\xa4\r\n";
    EXPECT_EQ(written(plain, {}), plain);
}

TEST(explicit_tracks, refuse_a_detect_table_not_written_inline) {
    const std::pair<std::string, std::string> cases[] = {
        {"[[tracks]]\nname = \"k\"\n[tracks.detect]\ninstrument = \"kick\"\n", "t.toml:9:1: "},
        {"[[tracks]]\nname = \"k\"\ndetect.instrument = \"kick\"\n", "t.toml:9:1: "},
    };
    for (const auto& [text, place] : cases) {
        SCOPED_TRACE(text);
        try {
            written(head + text, {});
            ADD_FAILURE() << "not refused";
        } catch (const piece::piece_error& e) {
            EXPECT_EQ(std::string(e.what()),
                      place + "the detect table of the track 'k' is not written inline; write it as detect = { ... } "
                              "to have its events written in its place");
        }
    }
}

} // namespace
