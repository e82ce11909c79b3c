#pragma once
// The command line of demo_capture.

#include "core/exceptions.hpp"

#include <filesystem>
#include <optional>
#include <string>
#include <vector>

namespace capture {

// A malformed command line; the message says what is wrong.
class usage_error : public invalid_argument {
public:
    using invalid_argument::invalid_argument;
};

struct frame_size {
    int width;
    int height;
};

struct capture_options {
    std::vector<double> still_times;         // --at, in the order given
    std::filesystem::path still_dir = "out"; // --out
    std::optional<std::filesystem::path> video;
    double duration = 76.0;         // --duration, seconds of video
    int fps = 60;                   // --fps, simulation steps (and video frames) per second
    std::optional<frame_size> size; // --size; unset: the configured window size
    std::optional<std::filesystem::path> piece; // --piece; unset: config.ini's piece.file or the built-in piece
    std::optional<std::filesystem::path> shader; // --shader: one Shadertoy-style file as the piece
    std::optional<std::filesystem::path> music;  // --music, with --shader; unset: the built-in music
    bool sprites_as_quads = false;               // --sprites quads: as the browser draws them
    bool help = false;
};

// Throws usage_error for an unknown option, a missing or malformed value, or nothing to do.
capture_options parse_options(const std::vector<std::string>& args);

std::string usage_text();

} // namespace capture
