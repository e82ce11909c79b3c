#pragma once
// What the page asks of the web player, from its address: the piece, a still time, paused.

#include <optional>
#include <string>

struct web_arguments {
    std::optional<std::string> piece;
    std::optional<double> at;
    bool paused = false;
};

// [--piece FILE] [--at SECONDS] [--paused]; throws runtime_error naming the argument it cannot take
// (unknown, given twice, missing its value, or a time that is no finite number from 0 on).
web_arguments parse_web_arguments(int argc, const char* const* argv);
