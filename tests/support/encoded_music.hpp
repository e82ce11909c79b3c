#pragma once
// Music files of the compressed formats, encoded by libsndfile from samples a test made.

#include <cstdint>
#include <string>
#include <vector>

namespace test_support {

enum class music_format { flac, vorbis, opus, mp3 };

// The bytes of a file of `format` holding the interleaved 16-bit `samples`.
std::string encoded_music(music_format format, const std::vector<std::int16_t>& samples, int channels, int rate);

// `seconds` of a tone sequence (a new pitch every tenth of a second) peaking at `level`, the same on
// every channel but for a level step per channel; no sample is zero.
std::vector<std::int16_t> tone_sequence(double seconds, int channels, int rate, double level = 12000.0);

} // namespace test_support
