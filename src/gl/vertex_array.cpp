#include "gl/vertex_array.hpp"

#include "platform/gl_api.hpp"

namespace gl {

vertex_array::vertex_array() {
    GLuint generated = 0;
    glapi::glGenVertexArrays(1, &generated);
    name = vertex_array_name(generated);
}

void vertex_array::bind() const {
    glapi::glBindVertexArray(name.get());
}

void vertex_array::attrib_pointer(GLuint index, GLint size, GLenum type, bool normalized, GLsizei stride,
                                  const void* offset) {
    glapi::glVertexAttribPointer(index, size, type, normalized ? GL_TRUE : GL_FALSE, stride, offset);
}

void vertex_array::enable_attrib(GLuint index) {
    glapi::glEnableVertexAttribArray(index);
}

void vertex_array::disable_attrib(GLuint index) {
    glapi::glDisableVertexAttribArray(index);
}

} // namespace gl
