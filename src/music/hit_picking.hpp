#pragma once

#include "music/detect_events.hpp"

#include <vector>

namespace music {

// Start times (seconds, ascending, at least spec.min_gap apart) of the spec's hits in a mono signal.
std::vector<double> find_hits(const std::vector<float>& mono, int rate, const detect_spec& spec);

} // namespace music
