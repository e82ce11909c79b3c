#include "passes/black_texture.hpp"

#include "platform/gl_api.hpp"

namespace passes {

black_texture::black_texture() {
    GLint bound = 0;
    glapi::glGetIntegerv(GL_TEXTURE_BINDING_2D, &bound);
    GLuint generated = 0;
    glapi::glGenTextures(1, &generated);
    name = gl::texture_name(generated);
    glapi::glBindTexture(GL_TEXTURE_2D, generated);
    constexpr GLubyte texel[4] = {0, 0, 0, 255};
    glapi::glTexImage2D(GL_TEXTURE_2D, 0, GL_RGBA8, 1, 1, 0, GL_RGBA, GL_UNSIGNED_BYTE, texel);
    glapi::glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_NEAREST);
    glapi::glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, GL_NEAREST);
    glapi::glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAX_LEVEL, 0);
    glapi::glBindTexture(GL_TEXTURE_2D, static_cast<GLuint>(bound));
}

} // namespace passes
