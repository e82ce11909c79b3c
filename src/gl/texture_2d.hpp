#pragma once

#include "gl/gl_name.hpp"

#include <GL/glcorearb.h>

#include <memory>
#include <string>

namespace gl {

// Owner of one GL texture used on GL_TEXTURE_2D. The parameter, get_parameter and image_2d wrappers act
// on whatever texture is bound to GL_TEXTURE_2D on the active unit, so callers bind first.
class texture_2d {
public:
    // Generates a texture name.
    texture_2d();

    texture_2d(texture_2d&&) noexcept = default;
    texture_2d& operator=(texture_2d&&) noexcept = default;

    // Decodes a PNG or JPEG file with 3 (GL_RGB) or 4 (GL_RGBA) channels and uploads it as level 0, top
    // row first. Throws runtime_error for any other format (without touching the file) and for a file
    // that cannot be read or decoded or is larger than the decoders accept (gl/decoded_pixels.hpp); no
    // texture name survives a failure.
    static texture_2d from_file(const std::string& path, GLenum format);

    // from_file in two halves. Decoding touches no GL state, so it may run on any thread; the upload
    // needs the context. from_file(path, format) is from_image(decode_file(path, format)).
    struct pixel_deleter {
        void operator()(unsigned char* pixels) const noexcept;
    };
    struct decoded_image {
        std::unique_ptr<unsigned char, pixel_deleter> pixels;
        GLsizei width = 0;
        GLsizei height = 0;
        GLenum format = 0;
    };
    // Throws what from_file throws for the format and the file.
    static decoded_image decode_file(const std::string& path, GLenum format);
    // Generates the name and uploads the pixels as level 0, as from_file does.
    static texture_2d from_image(const decoded_image& image);

    GLuint id() const noexcept { return name.get(); }

    void bind() const;
    static void unbind();

    static void parameter(GLenum pname, GLfloat value);
    static void parameter(GLenum pname, GLint value);
    static void parameter(GLenum pname, const GLfloat* values);
    // glTexParameteriv (values converted, colours normalised) when normalized is set, glTexParameterIiv
    // (values kept as pure integers) when it is clear.
    static void parameter(GLenum pname, const GLint* values, bool normalized);
    static void parameter(GLenum pname, const GLuint* values);

    static void get_parameter(GLenum pname, GLfloat* values);
    // glGetTexParameteriv when normalized is set, glGetTexParameterIiv when it is clear.
    static void get_parameter(GLenum pname, GLint* values, bool normalized);
    static void get_parameter(GLenum pname, GLuint* values);

    static void image_2d(const void* pixels, GLsizei width, GLsizei height, GLint internal_format,
                         GLenum format, GLenum type, GLint level);

private:
    texture_name name;
};

} // namespace gl
