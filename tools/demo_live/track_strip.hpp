#pragma once
// Key T of the live player: the piece's event tracks on a time line around the playhead, drawn over the
// window after the frame is copied there, so that it never enters a frame (demo_capture's stills and the
// offscreen target stay as they are). One row per track with its name, each event a bar; the section
// boundaries, the piece's end and the loop range across the rows; the playhead in the middle.

#include "gl/buffer.hpp"
#include "gl/program_object.hpp"
#include "gl/vertex_array.hpp"
#include "piece/piece.hpp"

#include <optional>
#include <vector>

namespace live {

struct strip_view {
    double time; // the playhead
    std::optional<double> loop_start;
    std::optional<double> loop_end;
    int width; // the window's, in pixels
    int height;
};

// One corner of a filled triangle, in window pixels from the top left.
struct strip_vertex {
    float x, y;
    float r, g, b, a;
};

// The triangles of the strip for `p` seen as `v`: seconds_shown around the playhead, at the bottom of
// the window. No GL.
std::vector<strip_vertex> strip_triangles(const piece::piece_data& p, const strip_view& v);

class track_strip {
public:
    static constexpr double seconds_shown = 10.0;

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
