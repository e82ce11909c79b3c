#include "gl/buffer.hpp"

#include "platform/gl_api.hpp"

namespace gl {

buffer::buffer(GLenum target)
    : bound_target(target) {
    GLuint generated = 0;
    glapi::glGenBuffers(1, &generated);
    name = buffer_name(generated);
}

void buffer::bind() const {
    glapi::glBindBuffer(bound_target, name.get());
}

void buffer::bind(GLenum new_target) {
    bound_target = new_target;
    bind();
}

void buffer::data(GLsizeiptr size, const void* contents, GLenum usage) const {
    glapi::glBufferData(bound_target, size, contents, usage);
}

void buffer::subdata(GLintptr offset, GLsizeiptr size, const void* contents) const {
    glapi::glBufferSubData(bound_target, offset, size, contents);
}

} // namespace gl
