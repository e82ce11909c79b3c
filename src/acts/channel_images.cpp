#include "acts/channel_images.hpp"

#include "core/exceptions.hpp"
#include "platform/gl_api.hpp"

#include <algorithm>

void channel_images::load(const piece::piece_data& piece, const piece::channel_list& channels) {
    for (const piece::channel& ch : channels) {
        if (ch.from != piece::channel::source::image || images.count(ch.image.file) != 0) continue;
        try {
            gl::texture_2d::decoded_image decoded = gl::texture_2d::decode_file(ch.image.file, GL_RGBA);
            const std::size_t row = 4 * static_cast<std::size_t>(decoded.width);
            unsigned char* pixels = decoded.pixels.get();
            for (GLsizei top = 0, bottom = decoded.height - 1; top < bottom; ++top, --bottom)
                std::swap_ranges(pixels + top * row, pixels + (top + 1) * row, pixels + bottom * row);
            gl::texture_2d texture = gl::texture_2d::from_image(decoded);
            GLint bound = 0;
            glapi::glGetIntegerv(GL_TEXTURE_BINDING_2D, &bound);
            glapi::glBindTexture(GL_TEXTURE_2D, texture.id());
            // One level only: a mipmapped filter would leave the texture incomplete, read as black.
            glapi::glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_LINEAR);
            glapi::glBindTexture(GL_TEXTURE_2D, static_cast<GLuint>(bound));
            const glm::vec3 size{static_cast<float>(decoded.width), static_cast<float>(decoded.height), 1.0f};
            images.emplace(ch.image.file, image{std::move(texture), size});
        } catch (const std::exception& e) {
            throw runtime_error(piece.file + ":" + std::to_string(ch.image.line) + ":" +
                                std::to_string(ch.image.column) + ": the image '" + ch.image.file +
                                "' does not load: " + e.what());
        }
    }
}
