#pragma once

#include <cstdint>

namespace asset_gen {

// Value noise that repeats every `period` lattice cells in x and y, so textures built from it tile.
// x and y are in lattice units.
double periodic_noise(double x, double y, int period, std::uint64_t seed);

// Sum of `octaves` periodic noises over a unit square (u, v in [0, 1)), the first with `base_period`
// cells across, each further octave twice as fine at half the weight. Result roughly in [0, 1].
double periodic_fbm(double u, double v, int base_period, int octaves, std::uint64_t seed);

double smoothstep(double edge0, double edge1, double x);

} // namespace asset_gen
