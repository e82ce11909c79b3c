// The browser build's PNG and JPEG decoders: stb_image (Debian's libstb-dev), compiled in, in place of
// libpng and libjpeg, which Debian does not build for WebAssembly. A PNG decodes to the same pixels
// (lossless, no gamma step in either); a JPEG may differ from libjpeg's by a level or two.
#include "gl/jpeg_decoder.hpp"
#include "gl/png_decoder.hpp"

#include <cstdlib>
#include <cstring>
#include <memory>

#define STBI_ONLY_PNG
#define STBI_ONLY_JPEG
#define STBI_NO_HDR
#define STBI_NO_LINEAR
#define STB_IMAGE_STATIC
#define STB_IMAGE_IMPLEMENTATION
#include <stb/stb_image.h>

namespace gl {

namespace {

struct stbi_free {
    void operator()(unsigned char* pixels) const noexcept { stbi_image_free(pixels); }
};

// The whole image from `file` at its current place, checked against the decoders' limits before the
// pixels are allocated.
std::optional<decoded_pixels> decode(std::FILE* file, int channels) {
    const long start = std::ftell(file);
    int width = 0;
    int height = 0;
    int stored = 0;
    if (stbi_info_from_file(file, &width, &height, &stored) == 0 ||
        !image_size_accepted(static_cast<std::uint64_t>(width), static_cast<std::uint64_t>(height)))
        return std::nullopt;
    std::fseek(file, start, SEEK_SET);
    const std::unique_ptr<unsigned char, stbi_free> pixels(stbi_load_from_file(file, &width, &height, &stored, channels));
    if (!pixels) return std::nullopt;
    decoded_pixels out;
    const std::size_t bytes = static_cast<std::size_t>(width) * static_cast<std::size_t>(height) *
                              static_cast<std::size_t>(channels);
    out.data.reset(new unsigned char[bytes]);
    std::memcpy(out.data.get(), pixels.get(), bytes);
    out.width = width;
    out.height = height;
    return out;
}

} // namespace

std::optional<decoded_pixels> decode_png(std::FILE* file, int channels) {
    // The caller has read the signature; stb_image reads it again.
    if (std::fseek(file, -8, SEEK_CUR) != 0) return std::nullopt;
    return decode(file, channels);
}

std::optional<decoded_pixels> decode_jpeg(std::FILE* file, int channels) {
    return decode(file, channels);
}

} // namespace gl
