#include "player/render_scale.hpp"

#include <algorithm>
#include <cmath>
#include <locale>
#include <sstream>

namespace {

double median(std::vector<double>& values) {
    const auto middle = values.begin() + static_cast<std::ptrdiff_t>(values.size() / 2);
    std::nth_element(values.begin(), middle, values.end());
    return *middle;
}

} // namespace

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

bool render_scale::frame_took(double interval, double work) {
    if (!adjusts) return false;
    intervals.push_back(interval);
    works.push_back(work);
    collected += interval;
    clock += interval;
    if (collected < adjust_interval) return false;

    const double late = median(intervals);
    const double busy = median(works);
    intervals.clear();
    works.clear();
    collected = 0.0;

    const double before = scale;
    if (late > late_share * frame_goal) {
        if (raised_at && clock - *raised_at <= trial_time) {
            // The last raise was too much: back to what held, and the next trial waits longer.
            scale = before_raise;
            hold = std::min(longest_hold, 2.0 * hold);
        } else {
            scale = std::max(lowest, scale * std::sqrt(frame_goal / late));
            hold = first_hold;
        }
        raised_at.reset();
        raise_from = clock + hold;
    } else if (busy < fast_share * frame_goal && scale < 1.0 && clock >= raise_from) {
        before_raise = scale;
        raised_at = clock;
        scale = std::min(1.0, scale + raise_step);
    }
    return scale != before;
}
