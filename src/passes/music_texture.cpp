#include "passes/music_texture.hpp"

#include "platform/gl_api.hpp"

#include <array>

namespace passes {

namespace {

// Binds a texture on the active unit and tightly packed uploads for a scope, then puts both back.
class upload_scope {
public:
    explicit upload_scope(GLuint texture) {
        glapi::glGetIntegerv(GL_TEXTURE_BINDING_2D, &bound);
        glapi::glGetIntegerv(GL_UNPACK_ALIGNMENT, &alignment);
        glapi::glGetIntegerv(GL_PIXEL_UNPACK_BUFFER_BINDING, &buffer);
        glapi::glBindTexture(GL_TEXTURE_2D, texture);
        glapi::glPixelStorei(GL_UNPACK_ALIGNMENT, 1);
        glapi::glBindBuffer(GL_PIXEL_UNPACK_BUFFER, 0);
    }
    ~upload_scope() {
        glapi::glBindBuffer(GL_PIXEL_UNPACK_BUFFER, static_cast<GLuint>(buffer));
        glapi::glPixelStorei(GL_UNPACK_ALIGNMENT, alignment);
        glapi::glBindTexture(GL_TEXTURE_2D, static_cast<GLuint>(bound));
    }
    upload_scope(const upload_scope&) = delete;
    upload_scope& operator=(const upload_scope&) = delete;

private:
    GLint bound = 0;
    GLint alignment = 4;
    GLint buffer = 0;
};

} // namespace

music_texture::music_texture() {
    GLuint generated = 0;
    glapi::glGenTextures(1, &generated);
    name = gl::texture_name(generated);
    const upload_scope scope(generated);
    const std::array<std::uint8_t, width * height> zero{};
    glapi::glTexImage2D(GL_TEXTURE_2D, 0, GL_R8, width, height, 0, GL_RED, GL_UNSIGNED_BYTE, zero.data());
    glapi::glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_LINEAR);
    glapi::glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, GL_LINEAR);
    glapi::glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_S, GL_CLAMP_TO_EDGE);
    glapi::glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_T, GL_CLAMP_TO_EDGE);
    glapi::glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAX_LEVEL, 0);
}

void music_texture::upload(std::span<const std::uint8_t, width * height> bytes) const {
    const upload_scope scope(name.get());
    glapi::glTexSubImage2D(GL_TEXTURE_2D, 0, 0, 0, width, height, GL_RED, GL_UNSIGNED_BYTE, bytes.data());
}

} // namespace passes
