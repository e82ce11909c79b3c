#pragma once
// Where am I: the live player's position, transport state and frame rate in one line of text, for the
// window title and the terminal.

#include <optional>
#include <string>

namespace live {

struct status {
    double time;
    bool playing;
    double speed;
    std::optional<double> loop_start;
    std::optional<double> loop_end;
    double frames_per_second;
    bool shader_failing;
    std::string piece_error = {}; // "<file>:<line>:<column>" of the last save that did not check; empty: none
    std::string shader_error = {}; // the first message of a failing shader, naming its file and line; or empty
};

// "45.00 s | paused | x1 | loop 10.00-12.00 | 58 fps", with " | shader error" while a shader file does
// not build (followed by its first message where that is known) and " | piece error <file>:<line>:<column>" while the saved piece file does not check; "no
// loop" without one.
std::string status_text(const status& s);

} // namespace live
