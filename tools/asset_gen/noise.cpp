#include "noise.hpp"

#include "rng.hpp"

#include <algorithm>
#include <cmath>

namespace asset_gen {

namespace {

int wrap(std::int64_t i, int period) {
    const auto m = static_cast<int>(i % period);
    return m < 0 ? m + period : m;
}

double fade(double t) { return t * t * (3.0 - 2.0 * t); }

} // namespace

double periodic_noise(double x, double y, int period, std::uint64_t seed) {
    const double fx = std::floor(x);
    const double fy = std::floor(y);
    const auto ix = static_cast<std::int64_t>(fx);
    const auto iy = static_cast<std::int64_t>(fy);
    const double tx = fade(x - fx);
    const double ty = fade(y - fy);
    const auto at = [&](std::int64_t dx, std::int64_t dy) {
        return hash_unit(wrap(ix + dx, period), wrap(iy + dy, period), seed);
    };
    const double top = at(0, 0) + (at(1, 0) - at(0, 0)) * tx;
    const double bottom = at(0, 1) + (at(1, 1) - at(0, 1)) * tx;
    return top + (bottom - top) * ty;
}

double periodic_fbm(double u, double v, int base_period, int octaves, std::uint64_t seed) {
    double sum = 0.0;
    double weight = 0.5;
    double total = 0.0;
    int period = base_period;
    for (int o = 0; o < octaves; ++o) {
        sum += weight * periodic_noise(u * period, v * period, period, seed + static_cast<std::uint64_t>(o) * 7919u);
        total += weight;
        weight *= 0.5;
        period *= 2;
    }
    return sum / total;
}

double smoothstep(double edge0, double edge1, double x) {
    const double t = std::clamp((x - edge0) / (edge1 - edge0), 0.0, 1.0);
    return t * t * (3.0 - 2.0 * t);
}

} // namespace asset_gen
