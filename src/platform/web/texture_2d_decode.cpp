// The decoding half of texture_2d in the browser: the page decoded the image while loading it (emscripten's
// preload plugins draw it on a canvas); this takes its RGBA pixels.
#include "gl/texture_2d.hpp"

#include "core/exceptions.hpp"
#include "gl/decoded_pixels.hpp"

#include <emscripten/emscripten.h>

#include <cstdlib>
#include <memory>
#include <new>

namespace gl {

namespace {

struct malloc_free {
    void operator()(char* pixels) const noexcept { std::free(pixels); }
};

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
    int width = 0;
    int height = 0;
    const std::unique_ptr<char, malloc_free> rgba(emscripten_get_preloaded_image_data(path.c_str(), &width, &height));
    if (!rgba || width <= 0 || height <= 0 ||
        !image_size_accepted(static_cast<std::uint64_t>(width), static_cast<std::uint64_t>(height)))
        throw runtime_error("gl::texture_2d::from_file(): Unable to load texture data from '" + path + "'.");
    const auto pixel_count = static_cast<std::size_t>(width) * static_cast<std::size_t>(height);
    decoded_image image;
    image.pixels.reset(new unsigned char[pixel_count * static_cast<std::size_t>(channels)]);
    const auto* from = reinterpret_cast<const unsigned char*>(rgba.get());
    unsigned char* to = image.pixels.get();
    for (std::size_t k = 0; k < pixel_count; ++k, from += 4, to += channels) {
        for (int c = 0; c < channels; ++c)
            to[c] = from[c];
    }
    image.width = width;
    image.height = height;
    image.format = format;
    return image;
}

} // namespace gl
