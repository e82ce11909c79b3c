#pragma once
// How late a time the tools go to when asked (demo_live --start and --loop, demo_capture --at and
// --duration). Every frame is reached by stepping all frames before it from the first, so a time costs
// steps in proportion to it: the piece and what shows after it, with room to spare, and no more. The
// command line is checked against the longest piece a file may hold before anything is loaded, then
// against the piece that plays.

#include "logger/number_text.hpp"
#include "piece/piece.hpp"

#include <cstdio>
#include <optional>
#include <string>

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

// The refusal of `option`'s time t for a piece of `length` seconds; nothing when t is within it.
inline std::optional<std::string> time_beyond_piece(const std::string& option, double t, double length) {
    if (!(t > latest_time(length))) return std::nullopt;
    const std::string shortest = number_text::shortest(t);
    const std::string shown = !shortest.empty() ? shortest : std::to_string(t);
    return option + " wants seconds up to " + latest_time_text(length) + ", not '" + shown + "'";
}

// The ceiling of the command line, before a piece is read: "4200 (the longest piece's end and 600 s more)".
inline std::string longest_time_text() {
    char text[80];
    std::snprintf(text, sizeof text, "%g (the longest piece's end and %g s more)", latest_time(piece::max_piece_length),
                  time_after_piece);
    return text;
}
