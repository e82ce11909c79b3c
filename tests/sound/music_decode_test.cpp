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

// Headers (found by the fuzzer) that kept libsndfile's parser looping for ever: an RF64 file, refused
// as not music, and a WAV file whose LIST chunk has an entry of a negative size, refused as damaged.
TEST(MusicDecode, HeadersThatLoopedTheParserAreRefused) {
    const unsigned char rf64[] = {
        0x52, 0x46, 0x36, 0x34, 0xd6, 0x1b, 0x00, 0x00, 0x57, 0x41, 0x56, 0x45, 0x66, 0x6d, 0x74, 0x20, 0x10, 0x00,
        0x00, 0x00, 0x01, 0x00, 0x02, 0x00, 0x22, 0x56, 0x00, 0x00, 0x88, 0x58, 0x01, 0x00, 0x04, 0x00, 0x10, 0x00,
        0x4c, 0x49, 0x53, 0x54, 0x1a, 0x00, 0x00, 0x00, 0x49, 0x4e, 0x46, 0x4f, 0x49, 0x51, 0x46, 0x00, 0x00, 0x00,
        0x00, 0x00, 0x00, 0x00, 0x00, 0x26, 0xf8, 0xff, 0xff, 0xff, 0xff, 0xff, 0xff, 0xff, 0x00, 0x00, 0x00, 0x00};
    const unsigned char negative_entry[] = {
        0x52, 0x49, 0x46, 0x46, 0xd6, 0x1b, 0x00, 0x00, 0x57, 0x41, 0x56, 0x45, 0x66, 0x6d, 0x74, 0x20, 0x10, 0x00,
        0x00, 0x00, 0x01, 0x00, 0x02, 0x00, 0x22, 0x56, 0x00, 0x00, 0x88, 0x58, 0x01, 0x00, 0x04, 0x00, 0x10, 0x00,
        0x4c, 0x49, 0x53, 0x54, 0x1a, 0x00, 0x00, 0x00, 0x49, 0x4e, 0x46, 0x4f, 0xf0, 0xff, 0xff, 0xff, 0xf4, 0xff,
        0xff, 0xff, 0x69, 0x01, 0x69, 0x01, 0xce, 0x02, 0xce, 0x07, 0xc1, 0x08, 0xc1, 0x30, 0x30, 0x00, 0x64, 0x61,
        0x74, 0x61, 0xf0, 0xff, 0xff, 0xff, 0xf4, 0xff, 0xff, 0xff, 0x69, 0x01, 0x69, 0x01, 0xce, 0x02, 0xce, 0x07,
        0xc1, 0x08, 0xc1, 0x08, 0xca, 0x07, 0xfb, 0xf8, 0x24, 0xfa, 0x24, 0xfa, 0x66, 0xfb, 0x66, 0xfb, 0xba, 0xfc,
        0xba, 0xfc, 0x1c, 0xfe, 0x1c, 0xfe};
    const std::pair<std::span<const unsigned char>, std::string> cases[] = {
        {rf64, "Not music: the content is none of WAV, FLAC, Ogg Vorbis, Opus or MP3."},
        {negative_entry, "Damaged: an entry of a LIST chunk runs past the end of that chunk."}};
    for (const auto& [bytes, reason] : cases) {
        try {
            sound::decode_music_bytes(std::as_bytes(bytes));
            ADD_FAILURE() << reason << ": decoded";
        } catch (const sound::music_error& e) {
            EXPECT_EQ(std::string(e.what()), reason);
        }
    }
}

} // namespace
