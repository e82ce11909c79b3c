#pragma once

#include "gl/gl_name.hpp"

#include <GL/glcorearb.h>

namespace gl {

// Owner of one GL vertex array. The attribute operations act on the vertex array that is bound, with the
// array buffer that is bound, so callers bind both first.
class vertex_array {
public:
    // Generates a vertex array name.
    vertex_array();

    vertex_array(vertex_array&&) noexcept = default;
    vertex_array& operator=(vertex_array&&) noexcept = default;

    GLuint id() const noexcept { return name.get(); }

    void bind() const;
    // offset is the byte offset into the bound array buffer.
    static void attrib_pointer(GLuint index, GLint size, GLenum type, bool normalized, GLsizei stride,
                               const void* offset);
    static void enable_attrib(GLuint index);
    static void disable_attrib(GLuint index);

private:
    vertex_array_name name;
};

} // namespace gl
