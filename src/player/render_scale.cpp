#include "player/render_scale.hpp"

#include <algorithm>
#include <cmath>
#include <locale>
#include <sstream>

std::optional<render_scale> render_scale::parse(const std::string& text) {
    if (text == "auto") return render_scale(1.0, true);
    std::istringstream in(text);
    in.imbue(std::locale::classic());
    double value = 0.0;
    in >> value;
    if (!in.eof()) in >> std::ws;
    // The comparisons are false for NaN.
    if (in.fail() || !in.eof() || !(value >= lowest && value <= 1.0)) return std::nullopt;
    return render_scale(value, false);
}

int render_scale::scaled_side(int window_side, double scale) {
    return std::max(1, static_cast<int>(std::lround(scale * window_side)));
}

bool render_scale::frame_took(double seconds) {
    if (!adjusts) return false;
    frames.push_back(seconds);
    collected += seconds;
    if (collected < adjust_interval) return false;

    const auto middle = frames.begin() + static_cast<std::ptrdiff_t>(frames.size() / 2);
    std::nth_element(frames.begin(), middle, frames.end());
    const double median = *middle;
    frames.clear();
    collected = 0.0;

    const double before = scale;
    if (median > frame_goal)
        scale = std::max(lowest, scale * std::sqrt(frame_goal / median));
    else if (median < fast_share * frame_goal)
        scale = std::min(1.0, scale + raise_step);
    return scale != before;
}
