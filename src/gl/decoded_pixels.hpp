#pragma once

#include <cstdint>
#include <memory>

namespace gl {

// 8-bit pixels as the image decoders hand them over: `channels` bytes a pixel, top row first, rows
// without padding.
struct decoded_pixels {
    std::unique_ptr<unsigned char[]> data;
    int width = 0;
    int height = 0;
};

// The largest image the decoders accept. A few bytes of header can ask for any size, so the limits are
// checked before the pixels are allocated: no side beyond the largest texture GL implementations take,
// at most 64 megapixels (256 MiB as RGBA), which no texture of a real-time piece comes near.
inline constexpr std::uint32_t max_image_side = 16384;
inline constexpr std::uint64_t max_image_pixels = std::uint64_t{1} << 26;

inline bool image_size_accepted(std::uint64_t width, std::uint64_t height) {
    return width > 0 && height > 0 && width <= max_image_side && height <= max_image_side &&
           width * height <= max_image_pixels;
}

} // namespace gl
