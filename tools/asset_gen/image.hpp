#pragma once

#include <cstdint>
#include <filesystem>
#include <vector>

namespace asset_gen {

// 8-bit image, rows from the top, channels interleaved.
struct image {
    image(int w, int h, int c) : width(w), height(h), channels(c), pixels(static_cast<std::size_t>(w) * h * c, 0) {}

    std::uint8_t& at(int x, int y, int c) {
        return pixels[(static_cast<std::size_t>(y) * width + x) * channels + c];
    }
    std::uint8_t at(int x, int y, int c) const {
        return pixels[(static_cast<std::size_t>(y) * width + x) * channels + c];
    }
    // Stores v in [0, 1] (clamped) as 0..255.
    void set(int x, int y, int c, double v);

    int width;
    int height;
    int channels;
    std::vector<std::uint8_t> pixels;
};

// Both throw std::runtime_error when the file cannot be written.
void write_png(const std::filesystem::path& file, const image& img);
void write_jpg(const std::filesystem::path& file, const image& img, int quality);

} // namespace asset_gen
