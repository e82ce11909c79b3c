// The decoding half of texture_2d, kept apart from the GL calls so that it links without a GL context.

#include "gl/texture_2d.hpp"

#include "core/exceptions.hpp"
#include "gl/jpeg_decoder.hpp"
#include "gl/png_decoder.hpp"

#include <array>
#include <cstdio>
#include <cstring>
#include <memory>
#include <new>
#include <optional>

namespace gl {

namespace {

struct file_closer {
    void operator()(std::FILE* file) const noexcept { std::fclose(file); }
};
using file_handle = std::unique_ptr<std::FILE, file_closer>;

// The decoder is chosen by the file's first bytes, whatever its name says.
std::optional<decoded_pixels> decode(const std::string& path, int channels) {
    const file_handle file(std::fopen(path.c_str(), "rb"));
    if (!file) return std::nullopt;
    std::array<unsigned char, 8> signature{};
    const std::size_t read = std::fread(signature.data(), 1, signature.size(), file.get());
    static constexpr std::array<unsigned char, 8> png_signature{0x89, 'P', 'N', 'G', '\r', '\n', 0x1a, '\n'};
    if (read == signature.size() && signature == png_signature) return decode_png(file.get(), channels);
    // A JPEG starts with its start-of-image marker; libjpeg reads that again itself.
    if (read >= 2 && signature[0] == 0xff && signature[1] == 0xd8 && std::fseek(file.get(), 0, SEEK_SET) == 0)
        return decode_jpeg(file.get(), channels);
    return std::nullopt;
}

} // namespace

void texture_2d::pixel_deleter::operator()(unsigned char* pixels) const noexcept {
    delete[] pixels;
}

texture_2d::decoded_image texture_2d::decode_file(const std::string& path, GLenum format) {
    int channels = 0;
    if (format == GL_RGB) {
        channels = 3;
    } else if (format == GL_RGBA) {
        channels = 4;
    } else {
        throw runtime_error("gl::texture_2d::from_file(): Unsupported format.");
    }

    std::optional<decoded_pixels> pixels;
    try {
        pixels = decode(path, channels);
    } catch (const std::bad_alloc&) {
        // An image within the size limits that still does not fit in memory fails like any other.
    }
    if (!pixels)
        throw runtime_error("gl::texture_2d::from_file(): Unable to load texture data from '" + path + "'.");
    decoded_image image;
    image.pixels.reset(pixels->data.release());
    image.width = pixels->width;
    image.height = pixels->height;
    image.format = format;
    return image;
}

} // namespace gl
