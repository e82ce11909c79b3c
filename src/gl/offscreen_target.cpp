#include "gl/offscreen_target.hpp"

#include "core/exceptions.hpp"
#include "platform/gl_api.hpp"

#include <algorithm>
#include <cstddef>
#include <string>

namespace gl {

namespace {

renderbuffer_name make_renderbuffer(GLenum format, int width, int height) {
    GLuint name = 0;
    glapi::glGenRenderbuffers(1, &name);
    renderbuffer_name owner(name);
    glapi::glBindRenderbuffer(GL_RENDERBUFFER, name);
    glapi::glRenderbufferStorage(GL_RENDERBUFFER, format, width, height);
    return owner;
}

} // namespace

offscreen_target::offscreen_target(int width, int height)
    : w(width)
    , h(height) {
    GLint largest = 0;
    glapi::glGetIntegerv(GL_MAX_RENDERBUFFER_SIZE, &largest);
    if (width <= 0 || height <= 0 || width > largest || height > largest) {
        throw runtime_error("gl::offscreen_target::offscreen_target(): The GL cannot render " +
                            std::to_string(width) + "x" + std::to_string(height) +
                            " pixels offscreen (at most " + std::to_string(largest) + " per side).");
    }
    colour = make_renderbuffer(GL_RGBA8, width, height);
    depth = make_renderbuffer(GL_DEPTH_COMPONENT24, width, height);
    GLuint name = 0;
    glapi::glGenFramebuffers(1, &name);
    framebuffer = framebuffer_name(name);
    glapi::glBindFramebuffer(GL_FRAMEBUFFER, name);
    glapi::glFramebufferRenderbuffer(GL_FRAMEBUFFER, GL_COLOR_ATTACHMENT0, GL_RENDERBUFFER, colour.get());
    glapi::glFramebufferRenderbuffer(GL_FRAMEBUFFER, GL_DEPTH_ATTACHMENT, GL_RENDERBUFFER, depth.get());
    const GLenum status = glapi::glCheckFramebufferStatus(GL_FRAMEBUFFER);
    if (status != GL_FRAMEBUFFER_COMPLETE) {
        glapi::glBindFramebuffer(GL_FRAMEBUFFER, 0);
        throw runtime_error("gl::offscreen_target::offscreen_target(): Framebuffer incomplete (status " +
                            std::to_string(status) + ").");
    }
    bind();
}

void offscreen_target::bind() const {
    glapi::glBindFramebuffer(GL_FRAMEBUFFER, framebuffer.get());
    glapi::glViewport(0, 0, w, h);
}

void offscreen_target::read_rgb(std::vector<std::uint8_t>& pixels) const {
    const auto row = static_cast<std::size_t>(w) * 3;
    pixels.resize(row * static_cast<std::size_t>(h));
    glapi::glBindFramebuffer(GL_READ_FRAMEBUFFER, framebuffer.get());
    glapi::glReadBuffer(GL_COLOR_ATTACHMENT0);
    glapi::glPixelStorei(GL_PACK_ALIGNMENT, 1);
    glapi::glReadPixels(0, 0, w, h, GL_RGB, GL_UNSIGNED_BYTE, pixels.data());
    for (std::size_t top = 0, bottom = static_cast<std::size_t>(h) - 1; top < bottom; ++top, --bottom) {
        std::swap_ranges(pixels.begin() + static_cast<std::ptrdiff_t>(top * row),
                         pixels.begin() + static_cast<std::ptrdiff_t>((top + 1) * row),
                         pixels.begin() + static_cast<std::ptrdiff_t>(bottom * row));
    }
}

void offscreen_target::copy_to_window() const {
    glapi::glBindFramebuffer(GL_READ_FRAMEBUFFER, framebuffer.get());
    glapi::glBindFramebuffer(GL_DRAW_FRAMEBUFFER, 0);
    glapi::glBlitFramebuffer(0, 0, w, h, 0, 0, w, h, GL_COLOR_BUFFER_BIT, GL_NEAREST);
    bind();
}

void offscreen_target::scale_to_window(int window_width, int window_height) const {
    glapi::glBindFramebuffer(GL_READ_FRAMEBUFFER, framebuffer.get());
    glapi::glBindFramebuffer(GL_DRAW_FRAMEBUFFER, 0);
    glapi::glBlitFramebuffer(0, 0, w, h, 0, 0, window_width, window_height, GL_COLOR_BUFFER_BIT, GL_LINEAR);
    glapi::glBindFramebuffer(GL_FRAMEBUFFER, 0);
}

std::vector<std::uint8_t> offscreen_target::read_rgb() const {
    std::vector<std::uint8_t> pixels;
    read_rgb(pixels);
    return pixels;
}

} // namespace gl
