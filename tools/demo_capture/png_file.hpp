#pragma once

#include <cstdint>
#include <filesystem>
#include <vector>

namespace capture {

// Writes tightly packed RGB rows, top row first, as a PNG file; throws runtime_error when it cannot.
void write_png(const std::filesystem::path& file, int width, int height,
               const std::vector<std::uint8_t>& rgb);

} // namespace capture
