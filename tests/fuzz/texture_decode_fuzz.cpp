// Feeds arbitrary bytes as an image file through texture_2d::decode_file, the step the texture loader and
// the model loader take, asking for three and for four channels. Besides memory and UB errors it checks
// that a file is either refused with the loader's message both times or decoded both times into an
// image within the size limits, every byte of which is read, and that the three-channel pixels are the
// four-channel ones without their alpha.

#include "core/exceptions.hpp"
#include "gl/decoded_pixels.hpp"
#include "gl/texture_2d.hpp"

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <fstream>
#include <optional>
#include <string>
#include <unistd.h>

namespace {

using gl::texture_2d;

const std::string input_file = "/tmp/texture_decode_fuzz-" + std::to_string(getpid()) + ".img";

std::optional<texture_2d::decoded_image> decode(GLenum format) {
    try {
        return texture_2d::decode_file(input_file, format);
    } catch (const runtime_error& e) {
        if (e.what() != "gl::texture_2d::from_file(): Unable to load texture data from '" + input_file + "'.")
            std::abort();
        return std::nullopt;
    }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    {
        std::ofstream file(input_file, std::ios::binary | std::ios::trunc);
        file.write(reinterpret_cast<const char*>(data), static_cast<std::streamsize>(size));
    }
    const std::optional<texture_2d::decoded_image> rgb = decode(GL_RGB);
    const std::optional<texture_2d::decoded_image> rgba = decode(GL_RGBA);
    if (rgb.has_value() != rgba.has_value()) std::abort();
    if (!rgb) return 0;

    if (rgb->format != GL_RGB || rgba->format != GL_RGBA || !rgb->pixels || !rgba->pixels) std::abort();
    if (rgb->width != rgba->width || rgb->height != rgba->height) std::abort();
    if (!gl::image_size_accepted(static_cast<std::uint64_t>(rgb->width),
                                 static_cast<std::uint64_t>(rgb->height)))
        std::abort();
    const std::size_t pixels = static_cast<std::size_t>(rgb->width) * static_cast<std::size_t>(rgb->height);
    for (std::size_t i = 0; i < pixels; ++i) {
        for (std::size_t c = 0; c < 3; ++c) {
            if (rgb->pixels.get()[3 * i + c] != rgba->pixels.get()[4 * i + c]) std::abort();
        }
    }
    // The alpha bytes are read too, so that a buffer shorter than the image is caught.
    volatile unsigned alpha = 0;
    for (std::size_t i = 0; i < pixels; ++i)
        alpha = alpha + rgba->pixels.get()[4 * i + 3];
    return 0;
}
