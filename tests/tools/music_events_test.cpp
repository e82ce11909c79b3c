#include "generated_assets.hpp"
#include "sound/sound_state.hpp"
#include "support/process.hpp"
#include "support/temp_dir.hpp"
#include "support/wav.hpp"

#include <gtest/gtest.h>

#include <chrono>
#include <cmath>
#include <map>
#include <sstream>
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
}

} // namespace
