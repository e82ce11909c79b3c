#pragma once
// The command line of demo_live.

#include "core/exceptions.hpp"

#include <filesystem>
#include <optional>
#include <utility>
#include <string>
#include <vector>

namespace live {

// A malformed command line; the message says what is wrong.
class usage_error : public invalid_argument {
public:
    using invalid_argument::invalid_argument;
};

struct loop_range {
    double start;
    double end; // > start
};

struct live_options {
    std::optional<double> start; // --start; unset: 0, or the loop's start
    bool paused = false;         // --paused
    std::optional<loop_range> loop;
    double speed = 1.0; // --speed
    std::optional<std::filesystem::path> piece; // --piece; unset: config.ini's piece.file or the built-in piece
    std::optional<std::filesystem::path> shader; // --shader: one Shadertoy-style file as the piece
    std::optional<std::filesystem::path> music;  // --music, with --shader; unset: the built-in music
    bool help = false;
};

inline constexpr double min_speed = 0.25;
inline constexpr double max_speed = 4.0;

// Throws usage_error for an unknown option or a missing or malformed value.
live_options parse_options(const std::vector<std::string>& args);

std::string usage_text();

// The times the command line asks for, with the option that asked: to be checked against the piece.
std::vector<std::pair<std::string, double>> requested_times(const live_options& options);

} // namespace live
