#pragma once

#include <vector>

namespace music {

// Onset times (seconds, ascending) of a mono signal over the full band by aubio's default onset detector
// (high-frequency content, 512-sample window, 256-sample hop, 50 ms apart at least), as the aubioonset
// program finds them; `threshold` replaces its peak-picking threshold, 0.058.
std::vector<double> full_band_onsets(const std::vector<float>& mono, int rate, double threshold);

} // namespace music
