#include "gl/gl_name.hpp"

#include "platform/gl_api.hpp"

namespace gl::name_deleters {

void texture(GLuint name) noexcept {
    glapi::glDeleteTextures(1, &name);
}
void buffer(GLuint name) noexcept {
    glapi::glDeleteBuffers(1, &name);
}
void vertex_array(GLuint name) noexcept {
    glapi::glDeleteVertexArrays(1, &name);
}
void shader(GLuint name) noexcept {
    glapi::glDeleteShader(name);
}
void program(GLuint name) noexcept {
    glapi::glDeleteProgram(name);
}
void framebuffer(GLuint name) noexcept {
    glapi::glDeleteFramebuffers(1, &name);
}
void renderbuffer(GLuint name) noexcept {
    glapi::glDeleteRenderbuffers(1, &name);
}

} // namespace gl::name_deleters
