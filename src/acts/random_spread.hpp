#pragma once
// Uniform float draws for the particle emitters, defined bit for bit in terms of the engine's raw 32-bit
// outputs so that a run replays identically on every standard library.

#include <random>

// A closed range [lo, hi] of a spread.
struct spread_range {
    float lo;
    float hi;
};

inline constexpr spread_range unit_spread{-1.0f, 1.0f};
inline constexpr spread_range speed_spread{0.5f, 1.5f};

// lo + (hi - lo) * r / 2^32 in single precision for the next output r of the engine. r is rounded to the
// nearest float first, so the 128 largest outputs give exactly hi; the scaling by 2^-32 is exact.
float draw(std::mt19937& rng, spread_range range);
