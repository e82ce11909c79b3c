#pragma once

#include <filesystem>
#include <vector>

namespace asset_gen {

// Synthesises the production's 80-second track and writes it as 16-bit stereo PCM at 44.1 kHz. Every
// kick starts exactly at one of `kicks`, every snare at one of `snares` (seconds from the start); hits
// from fade_end on fall into the silent tail and are left out.
void write_music(const std::filesystem::path& file, const std::vector<double>& kicks, const std::vector<double>& snares);

// The shape of the piece, shared with the picture's timeline.
constexpr double music_length = 80.0;
constexpr double groove_start = 26.4; // the first drum event after this opens the driving section
constexpr double fade_start = 70.0;
constexpr double fade_end = 75.3;

} // namespace asset_gen
