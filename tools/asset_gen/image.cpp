#include "image.hpp"

#include <algorithm>
#include <cmath>
#include <stdexcept>

#define STB_IMAGE_WRITE_STATIC
#define STB_IMAGE_WRITE_IMPLEMENTATION
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wunused-function"
#pragma GCC diagnostic ignored "-Wmissing-field-initializers"
#include <stb_image_write.h>
#pragma GCC diagnostic pop

namespace asset_gen {

void image::set(int x, int y, int c, double v) {
    at(x, y, c) = static_cast<std::uint8_t>(std::lround(std::clamp(v, 0.0, 1.0) * 255.0));
}

void write_png(const std::filesystem::path& file, const image& img) {
    if (stbi_write_png(file.string().c_str(), img.width, img.height, img.channels, img.pixels.data(),
                       img.width * img.channels) == 0) {
        throw std::runtime_error("cannot write " + file.string());
    }
}

void write_jpg(const std::filesystem::path& file, const image& img, int quality) {
    if (stbi_write_jpg(file.string().c_str(), img.width, img.height, img.channels, img.pixels.data(), quality) == 0) {
        throw std::runtime_error("cannot write " + file.string());
    }
}

} // namespace asset_gen
