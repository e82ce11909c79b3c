#pragma once
// A one-line progress report redrawn in place: frames done of the total, frames per second and the time
// left, at most ten times a second.

#include <chrono>
#include <cstdint>
#include <ostream>

namespace capture {

class progress_bar {
public:
    progress_bar(std::ostream& out, std::int64_t total);
    // Ends a line left open by a capture that stopped early, so that its error message starts afresh.
    ~progress_bar();
    progress_bar(const progress_bar&) = delete;
    progress_bar& operator=(const progress_bar&) = delete;
    // Redraws when a tenth of a second has passed since the last drawing, and for the last frame.
    void update(std::int64_t done);
    // Draws the final state and ends the line.
    void finish();

private:
    void draw(std::int64_t done);

    std::ostream& out;
    std::int64_t total;
    std::int64_t last_done = 0;
    std::chrono::steady_clock::time_point start;
    std::chrono::steady_clock::time_point last_draw;
    bool drawn = false;
    bool finished = false;
};

} // namespace capture
