#pragma once

#include <cstdint>
#include <filesystem>
#include <vector>

namespace asset_gen {

// RIFF/WAVE, PCM, 16-bit little endian, interleaved stereo.
void write_wav(const std::filesystem::path& file, const std::vector<std::int16_t>& interleaved, int rate);

} // namespace asset_gen
