#pragma once
// The progress of a capture: frames done of the total, frames per second and the time left. On a terminal
// one line redrawn in place at most ten times a second; into a file or a pipe a plain line at every tenth
// of the frames, so that a log holds ten short lines instead of one line of thousands of updates.

#include <chrono>
#include <cstdint>
#include <ostream>
#include <string>

namespace capture {

class progress_bar {
public:
    enum class style { live, lines };

    progress_bar(std::ostream& out, std::int64_t total, style how);
    // Ends a line left open by a capture that stopped early, so that its error message starts afresh.
    ~progress_bar();
    progress_bar(const progress_bar&) = delete;
    progress_bar& operator=(const progress_bar&) = delete;
    // Live: redraws when a tenth of a second has passed since the last drawing, and for the last frame.
    // Lines: writes a line when `done` reaches the next tenth of the total.
    void update(std::int64_t done);
    // Live: draws the final state and ends the line.
    void finish();

private:
    void draw(std::int64_t done);
    void write_line(std::int64_t done);
    // Frames per second so far, and the time left at that rate ("-:--" before any).
    double rate(std::int64_t done) const;
    std::string time_left(std::int64_t done) const;

    std::ostream& out;
    std::int64_t total;
    style how;
    std::int64_t last_done = 0;
    std::int64_t tenths_written = 0;
    std::chrono::steady_clock::time_point start;
    std::chrono::steady_clock::time_point last_draw;
    bool drawn = false;
    bool finished = false;
};

} // namespace capture
