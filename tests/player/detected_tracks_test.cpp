// Tracks found in a piece's music: filled from the decoded file in one pass with one record, never
// overlapping; nothing decoded for a piece without them; undecodable music refused with the usual words.

#include "logger/log_manager.hpp"
#include "player/detected_tracks.hpp"
#include "support/capture_logger.hpp"
#include "support/temp_dir.hpp"
#include "support/wav.hpp"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <filesystem>
#include <memory>
#include <stdexcept>
#include <string>
#include <utility>
#include <variant>
#include <vector>

namespace {

constexpr int rate = 48000;

// Mono, 4 s: a short decaying noise burst every 0.25 s from 0.5 s on, twelve in all.
std::vector<std::int16_t> clicks() {
    std::vector<std::int16_t> samples(static_cast<std::size_t>(4 * rate), 0);
    std::uint32_t noise = 12345;
    for (int k = 0; k < 12; ++k) {
        const std::size_t start = static_cast<std::size_t>((0.5 + 0.25 * k) * rate);
        for (std::size_t i = 0; i < 2400; ++i) {
            noise = noise * 1664525u + 1013904223u;
            const double white = static_cast<double>(noise >> 8) / static_cast<double>(1u << 24) * 2.0 - 1.0;
            samples[start + i] = static_cast<std::int16_t>(20000.0 * white * std::exp(-static_cast<double>(i) / 400.0));
        }
    }
    return samples;
}

piece::track found(const std::string& name, double length) {
    music::detect_spec spec;
    spec.what = music::instrument::onsets;
    spec.min_gap = 0.1;
    spec.length = length;
    spec.value = 2.0;
    return {name, piece::detected_events{spec, {}}};
}

// Runs find_detected_tracks with its own log; the records it wrote go to `messages`.
void find(piece::piece_data& p, std::vector<std::string>& messages, const piece::piece_data* playing = nullptr) {
    const auto log = std::make_shared<test_support::capture_log>();
    {
        logger::log_manager manager([] { return 0.0; });
        manager.add_logger(std::make_unique<test_support::capture_logger>(log, logger::level::debug));
        find_detected_tracks(p, manager, playing);
    } // the manager delivers every record before it goes
    messages.clear();
    for (const std::string& m : log->messages())
        if (m.rfind("log_manager::", 0) != 0) messages.push_back(m); // the manager's own
}

TEST(detected_tracks, are_filled_from_the_music_without_overlapping_with_one_record) {
    test_support::temp_dir dir;
    piece::piece_data p;
    p.music = dir.path() / "clicks.wav";
    test_support::write_wav(p.music, clicks(), 1, rate);
    p.tracks = {{"listed", piece::event_list{{{1.0, 2.0, 5.0}}}}, found("long", 0.5), found("short", 0.03)};
    std::vector<std::string> messages;
    find(p, messages);

    const std::vector<piece::event>& shorter = piece::events_of(p.tracks[2]);
    const std::vector<piece::event>& longer = piece::events_of(p.tracks[1]);
    ASSERT_EQ(shorter.size(), 12u);
    ASSERT_EQ(longer.size(), 12u);
    for (std::size_t k = 0; k < 12; ++k) {
        SCOPED_TRACE(k);
        EXPECT_NEAR(shorter[k].start, 0.5 + 0.25 * k, 0.025);
        EXPECT_DOUBLE_EQ(shorter[k].end, shorter[k].start + 0.03);
        EXPECT_EQ(shorter[k].value, 2.0);
        EXPECT_EQ(longer[k].start, shorter[k].start) << "one analysis, the same hits";
        // Half a second is longer than the hits are apart: each event ends where the next starts.
        EXPECT_DOUBLE_EQ(longer[k].end, k + 1 < 12 ? longer[k + 1].start : longer[k].start + 0.5);
    }
    EXPECT_EQ(piece::events_of(p.tracks[0]).size(), 1u) << "listed events stay as written";

    ASSERT_EQ(messages.size(), 1u) << ::testing::PrintToString(messages);
    const std::string head = "Detected 2 event tracks in '" + p.music + "' in ";
    EXPECT_EQ(messages[0].substr(0, head.size()), head) << messages[0];
    EXPECT_EQ(messages[0].substr(messages[0].find(" s: ")), " s: long 12, short 12 events.") << messages[0];

    // The same file gives the same events.
    piece::piece_data again = p;
    find(again, messages);
    for (std::size_t t = 1; t < 3; ++t) {
        const auto& a = piece::events_of(p.tracks[t]);
        const auto& b = piece::events_of(again.tracks[t]);
        ASSERT_EQ(a.size(), b.size());
        for (std::size_t k = 0; k < a.size(); ++k)
            EXPECT_TRUE(a[k].start == b[k].start && a[k].end == b[k].end && a[k].value == b[k].value);
    }

    // A piece saved again while `p` plays keeps the events of unchanged specs without opening the music
    // (gone now); a changed spec is found anew from the file.
    std::filesystem::remove(p.music);
    piece::piece_data saved = p;
    for (piece::track& t : saved.tracks)
        if (auto* d = std::get_if<piece::detected_events>(&t.source)) d->events.clear();
    std::swap(saved.tracks[1], saved.tracks[2]);
    find(saved, messages, &p);
    EXPECT_TRUE(messages.empty()) << ::testing::PrintToString(messages);
    EXPECT_EQ(piece::events_of(saved.tracks[1]).size(), 12u);
    EXPECT_EQ(piece::events_of(saved.tracks[2]).back().end, piece::events_of(p.tracks[1]).back().end);
    std::get<piece::detected_events>(saved.tracks[2].source).spec.value = 3.0;
    EXPECT_THROW(find(saved, messages, &p), std::runtime_error);
}

TEST(detected_tracks, a_piece_without_them_decodes_nothing_and_bad_music_is_refused) {
    test_support::temp_dir dir;
    piece::piece_data p;
    p.music = (dir.path() / "none.wav").string();
    p.tracks = {{"listed", piece::event_list{{{1.0, 2.0, 5.0}}}}};
    std::vector<std::string> messages;
    EXPECT_NO_THROW(find(p, messages)) << "the missing music is not opened";
    EXPECT_TRUE(messages.empty()) << ::testing::PrintToString(messages);

    p.tracks.push_back(found("hits", 0.03));
    try {
        find(p, messages);
        ADD_FAILURE() << "missing music accepted";
    } catch (const std::runtime_error& e) {
        const std::string head = "Unable to load music from '" + p.music + "': ";
        EXPECT_EQ(std::string(e.what()).substr(0, head.size()), head) << e.what();
    }
    p.music = dir.write("text.wav", "not music at all").string();
    EXPECT_THROW(find(p, messages), std::runtime_error);
    EXPECT_TRUE(piece::events_of(p.tracks[1]).empty());

    // Music that plays at 2000 Hz, too low for the detection: said so, not taken for music that cannot load.
    p.music = (dir.path() / "low.wav").string();
    test_support::write_wav(p.music, std::vector<std::int16_t>(4000, 100), 1, 2000);
    try {
        find(p, messages);
        ADD_FAILURE() << "a rate the detection cannot take accepted";
    } catch (const detection_error& e) {
        EXPECT_EQ(std::string(e.what()), "No events can be found in '" + p.music +
                                             "' for the track 'hits' (the music itself plays): a sample rate of 2000 Hz, "
                                             "below the 4000 Hz the detection takes.");
    }
    EXPECT_TRUE(piece::events_of(p.tracks[1]).empty());
}

// The piece's 0 at 1.5 s of the music: every hit found 1.5 s earlier in the piece's time, also on a save
// that only moves the start (the playing piece's events are in the old start's time).
TEST(detected_tracks, move_into_the_pieces_time_from_its_music_start) {
    test_support::temp_dir dir;
    piece::piece_data from_zero;
    from_zero.music = dir.path() / "clicks.wav";
    test_support::write_wav(from_zero.music, clicks(), 1, rate);
    from_zero.tracks = {found("hits", 0.03)};
    std::vector<std::string> messages;
    find(from_zero, messages);
    const std::vector<piece::event>& heard = piece::events_of(from_zero.tracks[0]);
    ASSERT_EQ(heard.size(), 12u);

    piece::piece_data moved = from_zero;
    std::get<piece::detected_events>(moved.tracks[0].source).events.clear();
    moved.music_start = 1.5;
    find(moved, messages, &from_zero);
    ASSERT_EQ(messages.size(), 1u) << "found again, not taken from the playing piece";
    const std::vector<piece::event>& shifted = piece::events_of(moved.tracks[0]);
    ASSERT_EQ(shifted.size(), heard.size());
    for (std::size_t k = 0; k < heard.size(); ++k) {
        SCOPED_TRACE(k);
        EXPECT_EQ(shifted[k].start, heard[k].start - 1.5);
        EXPECT_EQ(shifted[k].end, heard[k].end - 1.5);
    }
    EXPECT_NEAR(shifted[4].start, 0.0, 0.025) << "the hit at 1.5 s of the music is the piece's 0";
}

} // namespace
