#include "generated_assets.hpp"
#include "piece/read_piece.hpp"
#include "sound/sound_state.hpp"
#include "support/process.hpp"
#include "support/temp_dir.hpp"
#include "support/wav.hpp"

#include <gtest/gtest.h>

#include <chrono>
#include <cmath>
#include <cstdlib>
#include <map>
#include <sstream>
#include <tuple>
#include <vector>

namespace {

using namespace std::chrono_literals;

const std::string program = std::string(ENGINE_BINARY_DIR) + "/music_events";

// Found starts matched to true ones within 25 ms, each true start once.
double f1(const std::vector<double>& truth, const std::vector<double>& found) {
    std::vector<bool> used(truth.size(), false);
    double matched = 0;
    for (const double t : found) {
        for (std::size_t i = 0; i < truth.size(); ++i) {
            if (!used[i] && std::abs(truth[i] - t) <= 0.025) {
                used[i] = true;
                ++matched;
                break;
            }
        }
    }
    return truth.size() + found.size() == 0 ? 0.0 : 2.0 * matched / static_cast<double>(truth.size() + found.size());
}

TEST(MusicEvents, FindsTheKicksAndSnaresTheGeneratedMusicIsWrittenAround) {
    const auto music = (tools_test::generated_assets() / "dat_bass.wav").string();
    test_support::child_process run(program, {music, "--track", "kick:kick", "--track", "snare:snare", "--format", "tsv"},
                                    ENGINE_BINARY_DIR);
    ASSERT_TRUE(run.wait(120s));
    ASSERT_EQ(run.status(), 0) << run.err();
    std::map<std::string, std::vector<double>> found;
    std::istringstream lines(run.out());
    std::string name, previous;
    double start = 0, end = 0, value = 0;
    while (lines >> name >> start >> end >> value) {
        EXPECT_NEAR(end - start, 0.03, 0.0015);
        EXPECT_EQ(value, 1.0);
        EXPECT_LE(previous, name) << "sorted by name";
        previous = name;
        if (start < 75.0) found[name].push_back(start);
    }
    // The asset generator puts the kicks on the score's track 2 and the snares on track 3.
    const sound_state score;
    const auto below_75 = [](const std::vector<double>& starts) {
        std::vector<double> out;
        for (const double s : starts) {
            if (s < 75.0) out.push_back(s);
        }
        return out;
    };
    EXPECT_GE(f1(below_75(score.starts[2]), found["kick"]), 0.97);
    EXPECT_GE(f1(below_75(score.starts[3]), found["snare"]), 0.97);
}

// Every track's events in the generated music, pinned: how many, the sum of their starts in milliseconds,
// and the starts from 26 to 30 s; the piece format's block gives the same events when a piece reads it.
TEST(MusicEvents, PinsTheEventsOfTheGeneratedMusicAndItsPieceBlockReadsBack) {
    const auto music = (tools_test::generated_assets() / "dat_bass.wav").string();
    const std::vector<std::string> tracks{"--track", "kick:kick",     "--track", "snare:snare", "--track", "hat:hat",
                                          "--track", "onsets:onsets", "--track", "band:2000-6000"};
    const auto run = [&](const std::string& format) {
        std::vector<std::string> args{music, "--format", format};
        args.insert(args.end(), tracks.begin(), tracks.end());
        test_support::child_process child(program, args, ENGINE_BINARY_DIR);
        EXPECT_TRUE(child.wait(120s));
        EXPECT_EQ(child.status(), 0) << child.err();
        return child.out();
    };
    std::map<std::string, std::vector<std::tuple<std::string, std::string, std::string>>> tsv;
    std::istringstream lines(run("tsv"));
    std::string name, start, end, value;
    while (lines >> name >> start >> end >> value) tsv[name].emplace_back(start, end, value);

    const std::tuple<const char*, std::size_t, long, const char*> pinned[] = {
        {"kick", 53, 2443193, "26.433 27.594 28.572 29.324"},
        {"snare", 54, 2518439, "27.031 27.960 28.941 29.901"},
        {"hat", 146, 6875769, "26.732 27.031 27.312 27.777 27.960 28.267 28.758 28.941 29.132 29.611 29.901"},
        {"onsets", 273, 12338726,
         "26.424 26.726 27.025 27.308 27.584 27.771 27.956 28.263 28.565 28.618 28.752 28.936 29.128 29.314 29.606 29.895"},
        {"band", 66, 2926816, "27.034 27.963 28.941 29.901"}};
    for (const auto& [track, count, sum_ms, from_26_to_30] : pinned) {
        SCOPED_TRACE(track);
        const auto& events = tsv[track];
        EXPECT_EQ(events.size(), count);
        long sum = 0;
        std::string window;
        for (const auto& [s, e, v] : events) {
            sum += std::lround(std::stod(s) * 1000);
            if (std::stod(s) >= 26 && std::stod(s) < 30) window += (window.empty() ? "" : " ") + s;
        }
        EXPECT_EQ(sum, sum_ms);
        EXPECT_EQ(window, from_26_to_30);
    }

    const std::string piece_text = "[piece]\nname = \"found\"\nlength = 100\n[assets]\nmodel = \"m.obj\"\nmusic = \"m.wav\"\n" + run("toml");
    const piece::piece_data p = piece::read_piece_text(piece_text, "found.toml");
    ASSERT_EQ(p.tracks.size(), 5u);
    for (const piece::track& t : p.tracks) {
        SCOPED_TRACE(t.name);
        const auto& events = piece::events_of(t);
        const auto& expected = tsv[t.name];
        ASSERT_EQ(events.size(), expected.size());
        for (std::size_t i = 0; i < events.size(); ++i) {
            const auto& [s, e, v] = expected[i];
            EXPECT_EQ(events[i].start, std::stod(s));
            EXPECT_EQ(events[i].end, std::stod(e));
            EXPECT_EQ(events[i].value, std::stod(v));
        }
    }
}

TEST(MusicEvents, ExitStatusesAndMessages) {
    const test_support::temp_dir dir;
    dir.write("not_music.wav", "RIFF\x10\0\0\0WAVEjunk");
    const auto run = [&](const std::vector<std::string>& args) {
        auto child = std::make_unique<test_support::child_process>(program, args, dir.path());
        EXPECT_TRUE(child->wait(60s));
        return child;
    };
    for (const std::vector<std::string>& bad : std::vector<std::vector<std::string>>{
             {}, {"a.wav", "b.wav"}, {"a.wav", "--track"}, {"a.wav", "--track", "kick"}, {"a.wav", "--track", "k:bass"},
             {"a.wav", "--track", "k:300-100"}, {"a.wav", "--track", "bad name:kick"}, {"a.wav", "--track", "k:kick", "--track", "k:hat"},
             {"a.wav", "--format", "xml"}, {"a.wav", "--frobnicate"}}) {
        const auto child = run(bad);
        EXPECT_EQ(child->status(), 2) << bad.size();
        EXPECT_NE(child->err().find("usage: music_events FILE"), std::string::npos);
        EXPECT_EQ(child->out(), "");
    }
    // At most 64 tracks: the 65th is refused before the music is read.
    std::vector<std::string> many{"silence.wav", "--format", "tsv"};
    for (int k = 0; k < 65; ++k) {
        many.push_back("--track");
        many.push_back("t" + std::to_string(k) + ":kick");
    }
    const auto too_many = run(many);
    EXPECT_EQ(too_many->status(), 2);
    EXPECT_EQ(too_many->err().rfind("music_events: too many tracks\n", 0), 0u) << too_many->err();

    const auto missing = run({"missing.flac"});
    EXPECT_EQ(missing->status(), 1);
    EXPECT_EQ(missing->err().rfind("Unable to load music from 'missing.flac': ", 0), 0u) << missing->err();
    const auto broken = run({"not_music.wav", "--format", "tsv"});
    EXPECT_EQ(broken->status(), 1);
    EXPECT_EQ(broken->err().rfind("Unable to load music from 'not_music.wav': ", 0), 0u) << broken->err();
    EXPECT_EQ(broken->out(), "");

    // Silence: the default tracks, empty, in the piece format; a band track found nothing either.
    dir.write("silence.wav", test_support::wav_bytes(std::vector<std::int16_t>(2 * 22050, 0), 2, 22050));
    const auto quiet = run({"silence.wav"});
    EXPECT_EQ(quiet->status(), 0) << quiet->err();
    EXPECT_EQ(quiet->out(), "[[tracks]]\nname = \"kick\"\nevents = []\n\n[[tracks]]\nname = \"snare\"\nevents = []\n\n"
                            "[[tracks]]\nname = \"hat\"\nevents = []\n");
    const auto band = run({"silence.wav", "--track", "low:20-200", "--format", "tsv"});
    EXPECT_EQ(band->status(), 0) << band->err();
    EXPECT_EQ(band->out(), "");
    many.resize(many.size() - 2);
    const auto sixty_four = run(many);
    EXPECT_EQ(sixty_four->status(), 0) << sixty_four->err();
    EXPECT_EQ(sixty_four->out(), "");

    // Music it cannot use, and output it cannot write: status 1 and why.
    dir.write("low.wav", test_support::wav_bytes(std::vector<std::int16_t>(4000, 100), 1, 2000));
    std::filesystem::create_directory(dir.path() / "folder.wav");
    for (const auto& [args, message] : std::vector<std::pair<std::vector<std::string>, std::string>>{
             {{"low.wav"}, "Unable to find events in 'low.wav': a sample rate of 2000 Hz, below the 4000 Hz the detection takes.\n"},
             {{"folder.wav"}, "Unable to load music from 'folder.wav': A folder, not a file.\n"},
             {{"-c", "exec \"$0\" silence.wav >/dev/full", program}, "music_events: the events could not be written: No space left on device\n"}}) {
        const auto child = args.front() == "-c" ? std::make_unique<test_support::child_process>("/bin/sh", args, dir.path()) : run(args);
        ASSERT_TRUE(child->wait(60s));
        EXPECT_EQ(child->status(), 1) << message;
        EXPECT_EQ(child->err(), message);
        EXPECT_EQ(child->out(), "");
    }
}

} // namespace
