#pragma once

#include <cstdint>

namespace asset_gen {

// SplitMix64: tiny, fast and fully specified, so every run draws the same numbers on every platform.
class rng {
public:
    explicit rng(std::uint64_t seed) : state(seed) {}

    std::uint64_t next() {
        std::uint64_t z = (state += 0x9E3779B97F4A7C15ull);
        z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9ull;
        z = (z ^ (z >> 27)) * 0x94D049BB133111EBull;
        return z ^ (z >> 31);
    }

    // Uniform in [0, 1), 53 random bits.
    double uniform() { return static_cast<double>(next() >> 11) * (1.0 / 9007199254740992.0); }
    double uniform(double lo, double hi) { return lo + (hi - lo) * uniform(); }

private:
    std::uint64_t state;
};

// Stateless hash of lattice coordinates, for noise that must not depend on evaluation order.
inline std::uint64_t hash3(std::int64_t x, std::int64_t y, std::uint64_t seed) {
    rng r(seed * 0x100000001B3ull ^ (static_cast<std::uint64_t>(x) * 0x9E3779B1ull) ^
          (static_cast<std::uint64_t>(y) * 0x85EBCA77C2B2AE63ull));
    return r.next();
}

inline double hash_unit(std::int64_t x, std::int64_t y, std::uint64_t seed) {
    return static_cast<double>(hash3(x, y, seed) >> 11) * (1.0 / 9007199254740992.0);
}

} // namespace asset_gen
