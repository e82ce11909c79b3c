#include "gl/texture_2d.hpp"

#include "platform/gl_api.hpp"

#include <array>
#include <cstddef>

namespace gl {

namespace {

// Makes uploads read client memory as tightly packed rows for the lifetime of the guard and puts the
// caller's unpack state back afterwards. Decoded RGB rows are 3 x width bytes, which the default
// alignment of 4 would misread for most widths.
class packed_unpack_state {
public:
    packed_unpack_state() {
        for (std::size_t i = 0; i < settings.size(); ++i) {
            glapi::glGetIntegerv(settings[i].pname, &saved[i]);
            glapi::glPixelStorei(settings[i].pname, settings[i].packed);
        }
        glapi::glGetIntegerv(GL_PIXEL_UNPACK_BUFFER_BINDING, &saved_buffer);
        glapi::glBindBuffer(GL_PIXEL_UNPACK_BUFFER, 0);
    }
    ~packed_unpack_state() {
        glapi::glBindBuffer(GL_PIXEL_UNPACK_BUFFER, static_cast<GLuint>(saved_buffer));
        for (std::size_t i = 0; i < settings.size(); ++i)
            glapi::glPixelStorei(settings[i].pname, saved[i]);
    }
    packed_unpack_state(const packed_unpack_state&) = delete;
    packed_unpack_state& operator=(const packed_unpack_state&) = delete;

private:
    struct setting {
        GLenum pname;
        GLint packed;
    };
    static constexpr std::array<setting, 4> settings{{{GL_UNPACK_ALIGNMENT, 1},
                                                      {GL_UNPACK_ROW_LENGTH, 0},
                                                      {GL_UNPACK_SKIP_ROWS, 0},
                                                      {GL_UNPACK_SKIP_PIXELS, 0}}};
    std::array<GLint, settings.size()> saved{};
    GLint saved_buffer = 0;
};

} // namespace

texture_2d::texture_2d() {
    GLuint generated = 0;
    glapi::glGenTextures(1, &generated);
    name = texture_name(generated);
}

texture_2d texture_2d::from_file(const std::string& path, GLenum format) {
    return from_image(decode_file(path, format));
}

texture_2d texture_2d::from_image(const decoded_image& image) {
    // The name is generated only once there is something to upload, so a failure leaves none behind.
    texture_2d texture;
    texture.bind();
    {
        const packed_unpack_state packed;
        image_2d(image.pixels.get(), image.width, image.height, static_cast<GLint>(image.format),
                 image.format, GL_UNSIGNED_BYTE, 0);
    }
    unbind();
    return texture;
}

void texture_2d::bind() const {
    glapi::glBindTexture(GL_TEXTURE_2D, name.get());
}

void texture_2d::unbind() {
    glapi::glBindTexture(GL_TEXTURE_2D, 0);
}

void texture_2d::parameter(GLenum pname, GLfloat value) {
    glapi::glTexParameterf(GL_TEXTURE_2D, pname, value);
}

void texture_2d::parameter(GLenum pname, GLint value) {
    glapi::glTexParameteri(GL_TEXTURE_2D, pname, value);
}

void texture_2d::parameter(GLenum pname, const GLfloat* values) {
    glapi::glTexParameterfv(GL_TEXTURE_2D, pname, values);
}

void texture_2d::parameter(GLenum pname, const GLint* values, bool normalized) {
    if (normalized) {
        glapi::glTexParameteriv(GL_TEXTURE_2D, pname, values);
    } else {
        glapi::glTexParameterIiv(GL_TEXTURE_2D, pname, values);
    }
}

void texture_2d::parameter(GLenum pname, const GLuint* values) {
    glapi::glTexParameterIuiv(GL_TEXTURE_2D, pname, values);
}

void texture_2d::get_parameter(GLenum pname, GLfloat* values) {
    glapi::glGetTexParameterfv(GL_TEXTURE_2D, pname, values);
}

void texture_2d::get_parameter(GLenum pname, GLint* values, bool normalized) {
    if (normalized) {
        glapi::glGetTexParameteriv(GL_TEXTURE_2D, pname, values);
    } else {
        glapi::glGetTexParameterIiv(GL_TEXTURE_2D, pname, values);
    }
}

void texture_2d::get_parameter(GLenum pname, GLuint* values) {
    glapi::glGetTexParameterIuiv(GL_TEXTURE_2D, pname, values);
}

void texture_2d::image_2d(const void* pixels, GLsizei width, GLsizei height, GLint internal_format,
                          GLenum format, GLenum type, GLint level) {
    glapi::glTexImage2D(GL_TEXTURE_2D, level, internal_format, width, height, 0, format, type, pixels);
}

} // namespace gl
