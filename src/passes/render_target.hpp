#pragma once
// Pictures that full-screen passes draw into and read from: a colour texture attached to its own
// framebuffer. Needs the GL context that created it to be current for its whole life.

#include "gl/gl_name.hpp"

#include <GL/glcorearb.h>

#include <array>
#include <cstddef>

namespace passes {

enum class target_format { rgba8, rgba16f, rgba32f };

// A colour texture of fixed size and format (linear filtering, clamped to the edge, one level) and the
// framebuffer drawing into it.
class render_target {
public:
    // Starts cleared to 0. Throws runtime_error for a size the GL cannot hold or a framebuffer it reports
    // incomplete. Leaves the GL's texture and framebuffer bindings as it found them.
    // With `depth`, a depth buffer too, for a scene drawn into it.
    render_target(int width, int height, target_format format, bool depth = false);

    // Binds it as the draw framebuffer and sets the viewport to all of it.
    void bind() const;
    // Binds it (as bind()) and clears the colour to 0 without touching the clear colour state.
    void clear() const;

    GLuint texture() const noexcept { return colour.get(); }
    GLuint framebuffer() const noexcept { return frame.get(); }
    int width() const noexcept { return w; }
    int height() const noexcept { return h; }
    target_format format() const noexcept { return kind; }

private:
    int w;
    int h;
    target_format kind;
    gl::texture_name colour;
    gl::renderbuffer_name depth_buffer;
    // Last: the framebuffer goes before the texture attached to it.
    gl::framebuffer_name frame;
};

// A picture that reads its own last frame: previous() is read while current() is drawn, then swap().
class feedback_target {
public:
    // Throws what render_target throws.
    feedback_target(int width, int height, target_format format);

    const render_target& previous() const noexcept { return targets[1 - drawn]; }
    const render_target& current() const noexcept { return targets[drawn]; }
    // The picture just drawn becomes the previous one.
    void swap() noexcept { drawn = 1 - drawn; }
    // Both pictures to 0, as at the piece's start; leaves current() bound.
    void clear() const;

private:
    std::array<render_target, 2> targets;
    std::size_t drawn = 0;
};

} // namespace passes
