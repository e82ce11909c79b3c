#pragma once
// Where the track strip of the live player (key T) puts its triangles: the piece's event tracks on a time
// line around the playhead, one row per track with its name, each event a bar, and above them, when the
// piece has acts, a row of the acts and their transitions; the section boundaries, the piece's end and
// the loop range across the rows; the playhead in the middle. No GL.

#include "piece/piece.hpp"

#include <optional>
#include <vector>

namespace live {

// Seconds of the piece the strip shows, half of them before the playhead.
inline constexpr double strip_seconds_shown = 10.0;

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

// The triangles of the strip for `p` seen as `v`: strip_seconds_shown around the playhead, at the bottom of
// the window.
std::vector<strip_vertex> strip_triangles(const piece::piece_data& p, const strip_view& v);

} // namespace live
