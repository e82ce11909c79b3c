// Music as the player gets it, from bytes in memory: the source libsndfile reads through, RIFF files made
// fit for SDL's loader, the bound on decoded samples and the 16-bit samples of the other formats.

#include "sound/music_decode.hpp"
#include "sound/music_reader.hpp"
#include "sound/music_source.hpp"
#include "sound/playable_music.hpp"
#include "support/wav.hpp"

#include <gtest/gtest.h>

#include <cstdint>
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

namespace {

std::span<const std::byte> bytes_of(const std::string& text) {
    return std::as_bytes(std::span(text.data(), text.size()));
}

std::string big_endian(std::uint64_t v, int bytes) {
    std::string out;
    for (int i = bytes - 1; i >= 0; --i)
        out += static_cast<char>(v >> (8 * i));
    return out;
}

std::string little_endian(std::uint32_t v) {
    std::string out;
    for (int i = 0; i < 4; ++i)
        out += static_cast<char>(v >> (8 * i));
    return out;
}

TEST(MusicSource, AMemorySourceSeeksAnywhereFromItsStartToItsEnd) {
    const std::string ten = "0123456789";
    sound::memory_source source(bytes_of(ten));
    const struct {
        std::int64_t offset;
        int whence;
        std::int64_t place; // -1: refused, the place stays
    } seeks[] = {
        {0, SEEK_END, 10}, {10, SEEK_SET, 10}, {-10, SEEK_END, 0}, {4, SEEK_SET, 4}, {6, SEEK_CUR, 10},
        {-4, SEEK_CUR, 6}, {1, SEEK_END, -1}, {11, SEEK_SET, -1}, {-1, SEEK_SET, -1}, {-11, SEEK_END, -1},
        {5, SEEK_CUR, -1},
    };
    std::int64_t place = 0;
    for (const auto& s : seeks) {
        SCOPED_TRACE(std::to_string(s.offset) + " from " + std::to_string(s.whence));
        EXPECT_EQ(source.seek(s.offset, s.whence), s.place);
        if (s.place >= 0) place = s.place;
        EXPECT_EQ(source.tell(), place);
    }
    char byte = 0;
    ASSERT_EQ(source.seek(0, SEEK_END), 10);
    EXPECT_EQ(source.read(&byte, 1), 0) << "nothing past the end";
}

// A RIFF chunk of odd length is followed by a pad byte; the chunks after it are found past the pad, and a
// data chunk that declares more than the file holds plays what is there.
TEST(PlayableMusic, AWavChunkOfOddLengthIsPaddedAndTheChunksAfterItAreRead) {
    const std::vector<std::int16_t> samples = test_support::test_tone(250); // 250 stereo frames
    const std::string wav = test_support::wav_bytes(samples, 2, 8000);
    const std::string head = wav.substr(0, 36); // RIFF header and fmt chunk
    const std::string data = wav.substr(44);
    const std::string odd_chunk = std::string("note") + little_endian(3) + std::string("abc\0", 4);
    for (const std::uint32_t declared : {static_cast<std::uint32_t>(data.size()), 0xFFFFFFF0u}) {
        SCOPED_TRACE(declared);
        const std::string file = head + odd_chunk + "data" + little_endian(declared) + data;
        sound::playable_music music = sound::playable_music_from_bytes(bytes_of(file));
        ASSERT_EQ(music.size(), data.size());
        EXPECT_EQ(std::memcmp(music.data(), data.data(), data.size()), 0);
        EXPECT_EQ(music.spec.channels, 2);
    }
}

// FLAC's checksums: CRC-8 of a frame header, CRC-16 of a whole frame (polynomials 0x07 and 0x8005).
unsigned crc(const std::string& bytes, unsigned polynomial, int width) {
    const unsigned top = 1u << (width - 1);
    const unsigned mask = (1u << width) - 1;
    unsigned value = 0;
    for (const char c : bytes) {
        value ^= static_cast<unsigned>(static_cast<unsigned char>(c)) << (width - 8);
        for (int bit = 0; bit < 8; ++bit)
            value = (value & top) != 0 ? ((value << 1) ^ polynomial) & mask : (value << 1) & mask;
    }
    return value;
}

// A FLAC stream of `blocks` blocks of 4096 frames of silence in 8 channels at 48 kHz, whose header gives
// no length: nothing tells the decoder how long it is before it has decoded it.
std::string silent_flac_of_unknown_length(std::size_t blocks) {
    const std::uint64_t shape = (std::uint64_t{48000} << 44) | (std::uint64_t{7} << 41) | (std::uint64_t{15} << 36);
    std::string flac = std::string("fLaC") + '\x80' + big_endian(34, 3) + big_endian(4096, 2) + big_endian(4096, 2) +
                       big_endian(0, 3) + big_endian(0, 3) + big_endian(shape, 8) + std::string(16, '\0');
    for (std::size_t n = 0; n < blocks; ++n) {
        // Fixed block size 4096, 48 kHz, 8 independent channels of 16 bits, the frame number in UTF-8's code.
        std::string frame = "\xFF\xF8\xCA\x78";
        if (n < 0x80) {
            frame += static_cast<char>(n);
        } else if (n < 0x800) {
            frame += static_cast<char>(0xC0 | n >> 6);
            frame += static_cast<char>(0x80 | (n & 0x3F));
        } else {
            frame += static_cast<char>(0xE0 | n >> 12);
            frame += static_cast<char>(0x80 | (n >> 6 & 0x3F));
            frame += static_cast<char>(0x80 | (n & 0x3F));
        }
        frame += static_cast<char>(crc(frame, 0x07, 8));
        frame += std::string(8 * 3, '\0'); // each channel a constant subframe of value 0
        flac += frame + big_endian(crc(frame, 0x8005, 16), 2);
    }
    return flac;
}

TEST(MusicReader, DecodingStopsAtTheSampleBoundWhateverTheChannelCount) {
    // 2^27 samples are 2^24 frames of 8 channels; this stream holds one block more.
    const std::string flac = silent_flac_of_unknown_length((std::size_t{1} << 24) / 4096 + 1);
    sound::memory_source source(bytes_of(flac));
    std::int64_t frames = 0;
    try {
        sound::read_music(
            source, [](const sound::music_shape& shape) { EXPECT_EQ(shape.channels, 8); },
            [&frames](std::span<const float> samples) { frames += static_cast<std::int64_t>(samples.size() / 8); });
        ADD_FAILURE() << "decoded whole: " << frames << " frames";
    } catch (const sound::music_error& e) {
        EXPECT_EQ(std::string(e.what()), "Too long: 16781312 sample frames or more of 8 channels, beyond the "
                                         "134217728 samples (about 23 minutes of 48 kHz stereo) music may hold.");
        EXPECT_EQ(frames, std::int64_t{1} << 24) << "the samples within the bound were handed over";
    }
}

// An AIFF file of 24-bit big-endian samples, mono at 48 kHz.
std::string aiff_24_bit(const std::vector<std::int32_t>& samples) {
    std::string data;
    for (const std::int32_t s : samples)
        data += big_endian(static_cast<std::uint32_t>(s) & 0xFFFFFF, 3);
    const std::string rate_80_bit = "\x40\x0E\xBB\x80" + std::string(6, '\0'); // 48000 as an extended float
    const std::string comm = "COMM" + big_endian(18, 4) + big_endian(1, 2) + big_endian(samples.size(), 4) +
                             big_endian(24, 2) + rate_80_bit;
    const std::string ssnd = "SSND" + big_endian(8 + data.size(), 4) + big_endian(0, 8) + data;
    return "FORM" + big_endian(4 + comm.size() + ssnd.size(), 4) + "AIFF" + comm + ssnd;
}

// What is not RIFF is decoded to floats and played as signed 16-bit samples at full scale 32768: the top
// of a finer format rounds to 32768 and is held at 32767.
TEST(PlayableMusic, DecodedSamplesBecome16BitsHeldWithinTheirRange) {
    const std::vector<std::int32_t> samples{0x7FFFFF, 0x7FFF80, 0x7FFF7F, -0x800000, 0x400000, 0, -0x80, -0x81};
    const std::vector<std::int16_t> expected{32767, 32767, 32767, -32768, 16384, 0, 0, -1};
    sound::playable_music music = sound::playable_music_from_bytes(bytes_of(aiff_24_bit(samples)));
    ASSERT_EQ(music.size(), expected.size() * 2);
    std::vector<std::int16_t> played(expected.size());
    std::memcpy(played.data(), music.data(), music.size());
    EXPECT_EQ(played, expected);
    EXPECT_EQ(music.spec.format, AUDIO_S16SYS);
    EXPECT_EQ(music.spec.freq, 48000);
}

} // namespace
