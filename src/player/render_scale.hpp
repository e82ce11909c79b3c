#pragma once
// How finely the player draws the scene, as a share of the window's side: fixed, or `auto`, adjusted
// about once a second from the times between presented frames to hold 60 frames per second. No GL: the
// player turns the share into the size of the offscreen target it scales to the window.

#include <optional>
#include <string>
#include <vector>

class render_scale {
public:
    static constexpr double lowest = 0.5;
    static constexpr double frame_goal = 1.0 / 60.0; // seconds
    // Below this share of the goal, auto has room for more pixels.
    static constexpr double fast_share = 0.7;
    static constexpr double raise_step = 0.125;
    static constexpr double adjust_interval = 1.0; // seconds of frames between two adjustments

    // "auto" or a number from `lowest` to 1; nullopt for any other text.
    static std::optional<render_scale> parse(const std::string& text);
    // The side of a target drawn at `scale` for a window side: rounded, at least 1.
    static int scaled_side(int window_side, double scale);

    double value() const { return scale; }
    bool automatic() const { return adjusts; }

    // Auto: takes the wall-clock time of one frame (between two presents); once `adjust_interval` of them
    // have added up, lowers the scale when their median misses the goal (the pixel count goes with the
    // square of the scale, down to `lowest`) or raises it a step when the median is under `fast_share` of
    // the goal (up to 1). True when the scale changed. A fixed scale ignores the times.
    bool frame_took(double seconds);

private:
    render_scale(double start, bool automatic)
        : scale(start)
        , adjusts(automatic) {}

    double scale;
    bool adjusts;
    std::vector<double> frames; // the times since the last adjustment
    double collected = 0.0;     // their sum
};
