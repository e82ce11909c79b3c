// The real program playing music of every compressed format from a run folder, with SDL's disk audio
// driver recording what the device is handed: the decoded file, once, in order, between silences.

#include "sound/music_decode.hpp"
#include "support/demo_run.hpp"
#include "support/encoded_music.hpp"
#include "support/process.hpp"
#include "support/run_folder.hpp"
#include "support/x_window.hpp"
#include "support/xvfb.hpp"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstring>

namespace {

using namespace std::chrono_literals;
using test_support::child_process;
using test_support::music_format;

static auto* const xvfb = ::testing::AddGlobalTestEnvironment(new test_support::xvfb_environment);

struct music_case {
    const char* name;
    music_format format;
    int channels;
    int rate;
};

void PrintTo(const music_case& c, std::ostream* out) { *out << c.name; }

// The decoded samples as the device gets them: signed 16-bit at full scale 32768.
std::string as_device_bytes(const std::vector<float>& samples) {
    std::string bytes;
    for (const float f : samples) {
        const float s = std::clamp(std::nearbyint(std::clamp(f, -1.0f, 1.0f) * 32768.0f), -32768.0f, 32767.0f);
        const auto v = static_cast<std::uint16_t>(static_cast<std::int16_t>(s));
        bytes += static_cast<char>(v & 0xFF);
        bytes += static_cast<char>(v >> 8);
    }
    return bytes;
}

double rms(const std::vector<float>& samples) {
    double sum = 0.0;
    for (const float s : samples) sum += static_cast<double>(s) * s;
    return std::sqrt(sum / static_cast<double>(samples.size()));
}

class MusicFormats : public ::testing::TestWithParam<music_case> {};

TEST_P(MusicFormats, PlaysTheDecodedMusicOnce) {
    const music_case& c = GetParam();
    // Lossless music near full scale, where every bit of a sample shows.
    const double level = c.format == music_format::flac ? 31000.0 : 12000.0;
    const std::vector<std::int16_t> tones = test_support::tone_sequence(0.6, c.channels, c.rate, level);
    test_support::run_folder folder;
    const std::string title = std::string("music-") + c.name;
    folder.write("config.ini", test_support::small_config(title));
    // Replaces the link to the generated music, whatever the file's name says.
    const auto music_file = folder.write("assets/dat_bass.wav", test_support::encoded_music(c.format, tones, c.channels, c.rate));

    const sound::decoded_music decoded = sound::decode_music_file(music_file.string());
    ASSERT_EQ(decoded.rate, c.rate);
    ASSERT_EQ(decoded.channels, c.channels);
    const std::size_t frames = tones.size() / static_cast<std::size_t>(c.channels);
    ASSERT_NEAR(static_cast<double>(decoded.samples.size() / static_cast<std::size_t>(c.channels)),
                static_cast<double>(frames), frames * 0.02);
    std::vector<float> original(tones.size());
    std::transform(tones.begin(), tones.end(), original.begin(), [](std::int16_t s) { return s / 32768.0f; });
    // Lossless comes back exactly; the lossy codecs keep the tones audible (libsndfile's stereo MP3 comes
    // back about a fifth quieter).
    if (c.format == music_format::flac) {
        EXPECT_EQ(decoded.samples, original);
    } else {
        EXPECT_NEAR(rms(decoded.samples), rms(original), 0.25 * rms(original));
    }

    child_process demo(test_support::demo_program(), {}, folder.path(),
                       {{"SDL_AUDIODRIVER", "disk"}, {"SDL_DISKAUDIOFILE", (folder.path() / "audio.raw").string()}});
    ASSERT_TRUE(child_process::eventually([&] { return demo.err().find("Music stopped.") != std::string::npos; }, 30s))
        << demo.err();
    ASSERT_TRUE(test_support::request_close(title));
    ASSERT_TRUE(demo.wait(30s));
    EXPECT_EQ(demo.status(), 0) << demo.err();
    const std::string err = demo.err();
    EXPECT_NE(err.find("  Sample rate: " + std::to_string(c.rate) + "\n"), std::string::npos) << err;
    EXPECT_NE(err.find("  Audio format: 32784\n"), std::string::npos) << err;
    EXPECT_NE(err.find("  Channls: " + std::to_string(c.channels) + "\n"), std::string::npos) << err;

    const std::string audio = folder.read("audio.raw");
    const std::string music = as_device_bytes(decoded.samples);
    const std::size_t start = audio.find(music);
    ASSERT_NE(start, std::string::npos) << "the recorded audio does not hold the decoded music in order";
    EXPECT_EQ(start % (2 * static_cast<std::size_t>(c.channels)), 0u);
    const auto silent = [](auto from, auto to) { return std::all_of(from, to, [](char b) { return b == 0; }); };
    EXPECT_TRUE(silent(audio.begin(), audio.begin() + static_cast<std::ptrdiff_t>(start)));
    EXPECT_TRUE(silent(audio.begin() + static_cast<std::ptrdiff_t>(start + music.size()), audio.end()));
}

INSTANTIATE_TEST_SUITE_P(Files, MusicFormats,
                         ::testing::Values(music_case{"flac", music_format::flac, 2, 44100},
                                           music_case{"ogg_vorbis", music_format::vorbis, 2, 44100},
                                           music_case{"opus", music_format::opus, 2, 48000},
                                           music_case{"mp3", music_format::mp3, 2, 44100},
                                           music_case{"mp3_48k_mono", music_format::mp3, 1, 48000},
                                           music_case{"flac_96k", music_format::flac, 2, 96000}),
                         [](const auto& info) { return std::string(info.param.name); });

} // namespace
