#pragma once
// A PNG file read back as 8-bit RGB, for tests that look at the frames the programs wrote.

#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <vector>

namespace test_support {

struct rgb_image {
    int width = 0;
    int height = 0;
    std::vector<std::uint8_t> rgb; // empty when the file cannot be read

    explicit rgb_image(const std::filesystem::path& file);
    std::size_t pixels() const { return rgb.size() / 3; }
};

} // namespace test_support
