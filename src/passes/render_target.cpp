#include "passes/render_target.hpp"

#include "core/exceptions.hpp"
#include "platform/gl_api.hpp"

#include <algorithm>
#include <string>

namespace passes {

namespace {

struct storage {
    GLint internal_format;
    GLenum type;
};

storage storage_of(target_format format) {
    switch (format) {
    case target_format::rgba16f:
        return {GL_RGBA16F, GL_FLOAT};
    case target_format::rgba32f:
        return {GL_RGBA32F, GL_FLOAT};
    case target_format::rgba8:
        break;
    }
    return {GL_RGBA8, GL_UNSIGNED_BYTE};
}

// Puts back the texture and framebuffer bindings that making a target changes.
class saved_bindings {
public:
    saved_bindings() {
        glapi::glGetIntegerv(GL_TEXTURE_BINDING_2D, &texture);
        glapi::glGetIntegerv(GL_DRAW_FRAMEBUFFER_BINDING, &draw);
        glapi::glGetIntegerv(GL_READ_FRAMEBUFFER_BINDING, &read);
    }
    ~saved_bindings() {
        glapi::glBindTexture(GL_TEXTURE_2D, static_cast<GLuint>(texture));
        glapi::glBindFramebuffer(GL_DRAW_FRAMEBUFFER, static_cast<GLuint>(draw));
        glapi::glBindFramebuffer(GL_READ_FRAMEBUFFER, static_cast<GLuint>(read));
    }
    saved_bindings(const saved_bindings&) = delete;
    saved_bindings& operator=(const saved_bindings&) = delete;

private:
    GLint texture = 0;
    GLint draw = 0;
    GLint read = 0;
};

int largest_side() {
    GLint texture = 0;
    GLint viewport[2] = {0, 0};
    glapi::glGetIntegerv(GL_MAX_TEXTURE_SIZE, &texture);
    glapi::glGetIntegerv(GL_MAX_VIEWPORT_DIMS, viewport);
    return std::min({texture, viewport[0], viewport[1]});
}

} // namespace

render_target::render_target(int width, int height, target_format format, bool depth)
    : w(width)
    , h(height)
    , kind(format) {
    const int largest = largest_side();
    if (width <= 0 || height <= 0 || width > largest || height > largest) {
        throw runtime_error("passes::render_target::render_target(): The GL cannot render into " +
                            std::to_string(width) + "x" + std::to_string(height) + " pixels (at most " +
                            std::to_string(largest) + " per side).");
    }
    const saved_bindings saved;
    GLuint name = 0;
    glapi::glGenTextures(1, &name);
    colour = gl::texture_name(name);
    glapi::glBindTexture(GL_TEXTURE_2D, name);
    const storage s = storage_of(format);
    glapi::glTexImage2D(GL_TEXTURE_2D, 0, s.internal_format, width, height, 0, GL_RGBA, s.type, nullptr);
    glapi::glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_LINEAR);
    glapi::glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, GL_LINEAR);
    glapi::glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_S, GL_CLAMP_TO_EDGE);
    glapi::glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_T, GL_CLAMP_TO_EDGE);
    glapi::glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAX_LEVEL, 0);

    name = 0;
    glapi::glGenFramebuffers(1, &name);
    frame = gl::framebuffer_name(name);
    glapi::glBindFramebuffer(GL_DRAW_FRAMEBUFFER, name);
    glapi::glFramebufferTexture2D(GL_DRAW_FRAMEBUFFER, GL_COLOR_ATTACHMENT0, GL_TEXTURE_2D, colour.get(), 0);
    if (depth) {
        GLint bound = 0;
        glapi::glGetIntegerv(GL_RENDERBUFFER_BINDING, &bound);
        name = 0;
        glapi::glGenRenderbuffers(1, &name);
        depth_buffer = gl::renderbuffer_name(name);
        glapi::glBindRenderbuffer(GL_RENDERBUFFER, name);
        glapi::glRenderbufferStorage(GL_RENDERBUFFER, GL_DEPTH_COMPONENT24, width, height);
        glapi::glFramebufferRenderbuffer(GL_DRAW_FRAMEBUFFER, GL_DEPTH_ATTACHMENT, GL_RENDERBUFFER, name);
        glapi::glBindRenderbuffer(GL_RENDERBUFFER, static_cast<GLuint>(bound));
    }
    const GLenum status = glapi::glCheckFramebufferStatus(GL_DRAW_FRAMEBUFFER);
    if (status != GL_FRAMEBUFFER_COMPLETE) {
        throw runtime_error("passes::render_target::render_target(): Framebuffer incomplete (status " +
                            std::to_string(status) + ").");
    }
    constexpr GLfloat zero[4] = {0.0f, 0.0f, 0.0f, 0.0f};
    glapi::glClearBufferfv(GL_COLOR, 0, zero);
}

void render_target::bind() const {
    glapi::glBindFramebuffer(GL_DRAW_FRAMEBUFFER, frame.get());
    glapi::glViewport(0, 0, w, h);
}

void render_target::clear() const {
    bind();
    constexpr GLfloat zero[4] = {0.0f, 0.0f, 0.0f, 0.0f};
    glapi::glClearBufferfv(GL_COLOR, 0, zero);
}

feedback_target::feedback_target(int width, int height, target_format format)
    : targets{render_target(width, height, format), render_target(width, height, format)} {}

void feedback_target::clear() const {
    previous().clear();
    current().clear();
}

} // namespace passes
