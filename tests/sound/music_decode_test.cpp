// The float samples of a music file for analysis: one path for files and bytes, any format by content,
// and a refusal that gives the reason without the path.

#include "sound/music_decode.hpp"
#include "support/encoded_music.hpp"
#include "support/temp_dir.hpp"
#include "support/wav.hpp"

#include <gtest/gtest.h>

#include <cstring>

namespace {

using test_support::music_format;

std::span<const std::byte> bytes_of(const std::string& text) {
    return std::as_bytes(std::span(text.data(), text.size()));
}

TEST(MusicDecode, WavAndFlacGiveTheSamplesAtFullScale32768) {
    const std::vector<std::int16_t> samples = test_support::tone_sequence(0.2, 1, 48000, 32000.0);
    std::vector<float> expected(samples.size());
    std::transform(samples.begin(), samples.end(), expected.begin(), [](std::int16_t s) { return s / 32768.0f; });
    for (const std::string& file : {test_support::wav_bytes(samples, 1, 48000),
                                    test_support::encoded_music(music_format::flac, samples, 1, 48000)}) {
        const sound::decoded_music music = sound::decode_music_bytes(bytes_of(file));
        EXPECT_EQ(music.rate, 48000);
        EXPECT_EQ(music.channels, 1);
        EXPECT_EQ(music.samples, expected);
    }
}

TEST(MusicDecode, AFileDecodesAsItsBytesWhateverItsName) {
    const test_support::temp_dir dir;
    const std::vector<std::int16_t> samples = test_support::tone_sequence(0.3, 2, 24000);
    const std::string opus = test_support::encoded_music(music_format::opus, samples, 2, 24000);
    const sound::decoded_music from_file = sound::decode_music_file(dir.write("music.wav", opus).string());
    const sound::decoded_music from_bytes = sound::decode_music_bytes(bytes_of(opus));
    EXPECT_EQ(from_file.rate, 24000);
    EXPECT_EQ(from_file.channels, 2);
    EXPECT_EQ(from_file.samples, from_bytes.samples);
    EXPECT_NEAR(static_cast<double>(from_file.samples.size()), static_cast<double>(samples.size()), samples.size() * 0.02);
}

TEST(MusicDecode, RefusalsGiveTheReasonWithoutThePath) {
    const test_support::temp_dir dir;
    const std::string missing = (dir.path() / "missing.flac").string();
    const std::string text = dir.write("notes.mp3", "la la la").string();
    const std::pair<std::string, std::string> cases[] = {{missing, "No such file or directory."},
                                                         {text, "Not music: the content is none of WAV, FLAC, Ogg Vorbis, Opus or MP3."}};
    for (const auto& [path, reason] : cases) {
        try {
            sound::decode_music_file(path);
            ADD_FAILURE() << path << " decoded";
        } catch (const sound::music_error& e) {
            EXPECT_EQ(std::string(e.what()), reason);
        }
    }
}

// An RF64 header (found by the fuzzer) that kept libsndfile's parser looping for ever: RF64 is refused.
TEST(MusicDecode, AnRF64HeaderIsRefusedBeforeItsParserLoops) {
    const unsigned char looping[] = {
        0x52, 0x46, 0x36, 0x34, 0xd6, 0x1b, 0x00, 0x00, 0x57, 0x41, 0x56, 0x45, 0x66, 0x6d, 0x74, 0x20, 0x10, 0x00,
        0x00, 0x00, 0x01, 0x00, 0x02, 0x00, 0x22, 0x56, 0x00, 0x00, 0x88, 0x58, 0x01, 0x00, 0x04, 0x00, 0x10, 0x00,
        0x4c, 0x49, 0x53, 0x54, 0x1a, 0x00, 0x00, 0x00, 0x49, 0x4e, 0x46, 0x4f, 0x49, 0x51, 0x46, 0x00, 0x00, 0x00,
        0x00, 0x00, 0x00, 0x00, 0x00, 0x26, 0xf8, 0xff, 0xff, 0xff, 0xff, 0xff, 0xff, 0xff, 0x00, 0x00, 0x00, 0x00,
        0x00, 0x00, 0x00, 0x00, 0x00, 0xf5, 0x60, 0xf6, 0x60, 0xf6, 0x32, 0xf7, 0x32, 0xf7, 0x27, 0xf8, 0x27, 0xf8,
        0x3c, 0xf9, 0x3c, 0xf9, 0x6c, 0xfa, 0x6c, 0xbb, 0x94, 0x94, 0x94, 0x94, 0x94, 0x94, 0x94, 0x94, 0x94, 0x94,
        0x94, 0x94, 0x0d, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0xfa, 0x6e, 0xf9, 0x6e, 0xf9, 0xfe, 0x01, 0x00, 0x00,
        0x00, 0x00, 0x00, 0x01, 0x03};
    try {
        sound::decode_music_bytes(std::as_bytes(std::span(looping)));
        ADD_FAILURE() << "decoded";
    } catch (const sound::music_error& e) {
        EXPECT_EQ(std::string(e.what()), "Not music: the content is none of WAV, FLAC, Ogg Vorbis, Opus or MP3.");
    }
}

} // namespace
