#pragma once

#include <cstdint>
#include <filesystem>
#include <string>
#include <vector>

namespace test_support {

// A RIFF/WAVE file with 16-bit PCM samples (interleaved when channels > 1).
std::string wav_bytes(const std::vector<std::int16_t>& samples, int channels, int rate);
void write_wav(const std::filesystem::path& file, const std::vector<std::int16_t>& samples, int channels,
               int rate);

// A deterministic test tone: `frames` stereo frames, no sample zero, so it is easy to find in a stream.
std::vector<std::int16_t> test_tone(std::size_t frames);

} // namespace test_support
