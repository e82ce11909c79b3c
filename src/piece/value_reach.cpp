#include "piece/value_reach.hpp"

#include "piece/scene_values.hpp"

#include <algorithm>
#include <cmath>
#include <limits>
#include <utility>

namespace piece {

namespace {

bool finite(const glm::vec3& v) {
    return std::isfinite(v.x) && std::isfinite(v.y) && std::isfinite(v.z);
}

// The ends of `range` where values are evaluated.
std::pair<double, double> ends(const time_range& range) {
    return {std::clamp(range.from, -furthest_time, furthest_time),
            std::clamp(range.until, -furthest_time, furthest_time)};
}

} // namespace

std::optional<double> keys_leave_floats(const std::vector<key>& keys, int components,
                                        const time_range& range) {
    const auto [low, high] = ends(range);
    const auto leaves = [&](double t) { return !finite(keys_at(keys, t, components)); };
    if (leaves(low)) return low;
    for (const key& k : keys)
        if (k.t > low && k.t < high && leaves(k.t)) return k.t;
    if (leaves(high)) return high;
    return std::nullopt;
}

std::optional<double> ramp_leaves_floats(const ramp& r, const time_range& range) {
    const auto [low, high] = ends(range);
    if (!std::isfinite(ramp_at(r, low))) return low;
    if (!std::isfinite(ramp_at(r, high))) return high;
    return std::nullopt;
}

bool follow_stays_finite(const follow& f, int components, const std::vector<track>& tracks) {
    double largest = 0.0;
    if (const auto* found = std::get_if<detected_events>(&tracks[f.track].source))
        largest = std::abs(found->spec.value);
    for (const event& e : events_of(tracks[f.track]))
        largest = std::max(largest, std::abs(e.value));
    for (int k = 0; k < components; ++k)
        if (!(std::abs(f.scale[static_cast<std::size_t>(k)]) * largest <= std::numeric_limits<float>::max()))
            return false;
    return true;
}

} // namespace piece
