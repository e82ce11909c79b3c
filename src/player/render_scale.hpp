#pragma once
// How finely the player draws the scene, as a share of the window's side: fixed, or `auto`, adjusted
// about once a second to hold 60 frames per second. No GL: the player turns the share into the size of
// the offscreen target it scales to the window.
//
// Auto judges two times of each frame: the interval between two presents, which on a display with vsync
// includes the wait for the display and is a whole number of refresh periods once a frame misses one;
// and the frame's own work, from the start of its step to just before the buffer swap. The interval says
// whether frames are missed; it cannot say whether there is room for more pixels (at 60 Hz it stays
// 16.7 ms however light the frame). The work says that, but only for what the CPU sees: a GPU, and
// llvmpipe's rasterizer, finish the drawing inside the swap. So a raise is a trial: when frames are
// missed right after it, the scale goes back and the next trial waits twice as long.

#include <optional>
#include <string>
#include <vector>

class render_scale {
public:
    static constexpr double lowest = 0.5;
    static constexpr double frame_goal = 1.0 / 60.0; // seconds
    // Frames later than this share of the goal are missed: a 59.94 Hz display, jitter or a 50 Hz display
    // are no misses; a frame that misses a vsync at 60 Hz takes twice the goal.
    static constexpr double late_share = 1.25;
    // Work under this share of the goal leaves room for more pixels.
    static constexpr double fast_share = 0.7;
    static constexpr double raise_step = 0.125;
    static constexpr double adjust_interval = 1.0; // seconds of frames between two adjustments
    // Seconds without a raise after a lowering; doubled after each raise that failed, up to the longest.
    static constexpr double first_hold = 2.0;
    static constexpr double longest_hold = 512.0;
    // A raise fails when frames are missed within this many seconds of it.
    static constexpr double trial_time = 3.0;

    // "auto" or a number from `lowest` to 1; nullopt for any other text.
    static std::optional<render_scale> parse(const std::string& text);
    // The side of a target drawn at `scale` for a window side: rounded, at least 1.
    static int scaled_side(int window_side, double scale);

    double value() const { return scale; }
    bool automatic() const { return adjusts; }

    // Auto: takes one frame's interval since the previous present and its work (seconds); once
    // `adjust_interval` of intervals have added up, judges their medians. Missed frames (median interval
    // over `late_share` of the goal) lower the scale: back to the scale before a raise that failed, or
    // else by the square root of goal / interval (the pixel count goes with the square of the scale),
    // down to `lowest`. Frames on time with work under `fast_share` of the goal raise it a step (up to
    // 1) once the hold since the last lowering has passed. True when the scale changed. A fixed scale
    // ignores the times.
    bool frame_took(double interval, double work);

private:
    render_scale(double start, bool automatic)
        : scale(start)
        , adjusts(automatic) {}

    double scale;
    bool adjusts;
    std::vector<double> intervals; // since the last adjustment
    std::vector<double> works;
    double collected = 0.0; // the intervals' sum
    double clock = 0.0;     // seconds of frames since the start
    double hold = first_hold;
    double raise_from = 0.0; // no raise before this clock time
    std::optional<double> raised_at;
    double before_raise = 1.0;
};
