#pragma once
// What a piece's keys, ramps and follows reach over a time range, so that the reader can refuse one whose
// value at some t is not a finite float (keys 5e-324 apart, a ramp over 1e-300 seconds).

#include "piece/piece.hpp"

#include <optional>
#include <vector>

namespace piece {

// The first time of `range` (within furthest_time of 0) at which the keys or the ramp give a value that
// is not a finite float, if any. Both are straight lines between the times looked at: the range's ends
// and the keys' times.
std::optional<double> keys_leave_floats(const std::vector<key>& keys, int components,
                                        const time_range& range);
std::optional<double> ramp_leaves_floats(const ramp& r, const time_range& range);

// Whether the largest value a follow gives, the largest of its track's event values times the scale,
// is a finite float.
bool follow_stays_finite(const follow& f, int components, const std::vector<track>& tracks);

} // namespace piece
