#pragma once
// Reading a render target back in the tests of the passes.

#include "passes/render_target.hpp"
#include "platform/gl_api.hpp"

#include <glm/vec4.hpp>

#include <cstdint>
#include <vector>

namespace pass_test {

// Every pixel as RGBA floats, bottom row first (GL's order).
inline std::vector<glm::vec4> read_floats(const passes::render_target& target) {
    std::vector<glm::vec4> pixels(static_cast<std::size_t>(target.width() * target.height()));
    glapi::glBindFramebuffer(GL_READ_FRAMEBUFFER, target.framebuffer());
    glapi::glReadBuffer(GL_COLOR_ATTACHMENT0);
    glapi::glReadPixels(0, 0, target.width(), target.height(), GL_RGBA, GL_FLOAT, pixels.data());
    return pixels;
}

// Every pixel as RGBA bytes, bottom row first.
inline std::vector<std::uint8_t> read_bytes(const passes::render_target& target) {
    std::vector<std::uint8_t> pixels(static_cast<std::size_t>(target.width() * target.height() * 4));
    glapi::glBindFramebuffer(GL_READ_FRAMEBUFFER, target.framebuffer());
    glapi::glReadBuffer(GL_COLOR_ATTACHMENT0);
    glapi::glPixelStorei(GL_PACK_ALIGNMENT, 1);
    glapi::glReadPixels(0, 0, target.width(), target.height(), GL_RGBA, GL_UNSIGNED_BYTE, pixels.data());
    return pixels;
}

} // namespace pass_test
