#pragma once
// How late a time the tools go to when asked (demo_live --start and --loop, demo_capture --at and
// --duration). Every frame is reached by stepping all frames before it from the first, so a time costs
// steps in proportion to it: the piece and what shows after it, with room to spare, and no more.

#include <cstdio>
#include <string>

// Seconds: the closing section starts here; after it only the fade to black shows.
inline constexpr double piece_length = 75.3;
// Seconds after the piece's end that a tool still goes to.
inline constexpr double time_after_piece = 600.0;

// The latest time a tool takes for a piece of `length` seconds.
constexpr double latest_time(double length) {
    return length + time_after_piece;
}

// "675.3 (the piece's end and 600 s more)", for messages and usage texts.
inline std::string latest_time_text(double length) {
    char text[80];
    std::snprintf(text, sizeof text, "%g (the piece's end and %g s more)", latest_time(length),
                  time_after_piece);
    return text;
}
