#pragma once
// A framebuffer object of a fixed size with an RGBA8 colour and a 24-bit depth renderbuffer: frames drawn
// while it is bound land in it instead of the window, at any size, and can be read back exactly. Needs the
// GL context that created it to be current for its whole life.

#include "gl/gl_name.hpp"

#include <cstdint>
#include <vector>

namespace gl {

class offscreen_target {
public:
    // Throws runtime_error for a size the GL cannot hold or a framebuffer it reports incomplete. Leaves the
    // target bound.
    offscreen_target(int width, int height);

    // Binds it for drawing and reading and sets the viewport to all of it.
    void bind() const;
    // The colour buffer as tightly packed RGB bytes, top row first (the GL reads bottom row first).
    void read_rgb(std::vector<std::uint8_t>& pixels) const;
    std::vector<std::uint8_t> read_rgb() const;
    // Copies the colour buffer unchanged to the lower left of the window's framebuffer (framebuffer 0),
    // then binds the target again.
    void copy_to_window() const;
    // Stretches the colour buffer over the window's framebuffer (framebuffer 0) of the given size with
    // linear filtering, and leaves the window's framebuffer bound for drawing and reading.
    void scale_to_window(int window_width, int window_height) const;

    int width() const { return w; }
    int height() const { return h; }

private:
    int w;
    int h;
    renderbuffer_name colour;
    renderbuffer_name depth;
    // Last: the framebuffer goes before the renderbuffers attached to it.
    framebuffer_name framebuffer;
};

} // namespace gl
