#include "acts/random_spread.hpp"

#include <cstdint>

float draw(std::mt19937& rng, spread_range range) {
    const auto r = static_cast<std::uint32_t>(rng());
    const float unit = static_cast<float>(r) / 4294967296.0f;
    return range.lo + (range.hi - range.lo) * unit;
}
