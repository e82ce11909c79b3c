#pragma once

#include "music/band_energy.hpp"
#include "music/detect_events.hpp"

#include <vector>

namespace music {

// A mono signal's band energies, shared by every track detected in it.
struct analysis {
    int rate = 0;
    std::vector<float> mono;
    std::vector<band> bands;
    band_energies be;
    std::vector<std::vector<double>> smooth; // per band: the energies' three-frame mean (the kick band's over 20 ms)
    std::vector<double> kick_onset;          // the kick band's three-frame mean, which times a kick more sharply
};

// The drum bands and, in order, the band of each spec that asks for one.
analysis analyse(std::vector<float> mono, int rate, const std::vector<detect_spec>& specs);

// Start times (seconds, ascending, at least spec.min_gap apart) of the hits `spec` asks for; `band_number` counts
// the band specs before this one (its band's place among the users' bands).
std::vector<double> find_hits(const analysis& a, const detect_spec& spec, std::size_t band_number);

} // namespace music
