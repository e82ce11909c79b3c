#pragma once
// Key T of the live player: the strip of strip_layout.hpp, drawn over the window after the frame is copied
// there, so that it never enters a frame (demo_capture's stills and the offscreen target stay as they are).

#include "demo_live/strip_layout.hpp"
#include "gl/buffer.hpp"
#include "gl/program_object.hpp"
#include "gl/vertex_array.hpp"
#include "piece/piece.hpp"

#include <vector>

namespace live {

class track_strip {
public:
    // Builds its program; needs the window's context current. Throws runtime_error when it does not build.
    track_strip();

    // Draws into the window's framebuffer (framebuffer 0), blended over what is there, and leaves it bound.
    void draw(const piece::piece_data& p, const strip_view& v);

private:
    program_object program;
    gl::vertex_array vertices;
    gl::buffer buffer{gl::buffer::array};
    std::vector<strip_vertex> triangles;
};

} // namespace live
