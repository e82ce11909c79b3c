#include "surfaces.hpp"

#include "bond.hpp"
#include "finishes.hpp"
#include "noise.hpp"
#include "rng.hpp"

#include <glm/common.hpp>

#include <cmath>
#include <numbers>

namespace asset_gen {

namespace {

glm::dvec3 block_tint(int block, std::uint64_t seed, double strength) {
    const double v = hash_unit(block, 1, seed) - 0.5;
    const double w = hash_unit(block, 2, seed) - 0.5;
    return glm::dvec3{1.0 + strength * (v + 0.3 * w), 1.0 + strength * v, 1.0 + strength * (v - 0.3 * w)};
}

} // namespace

surface floor_slabs(double size) {
    // Four courses of slabs a world unit deep, three or four slabs to the course.
    const double q = size / 4.0;
    const bond layout = random_bond(size, {q, q, q, q}, 3, 0.3, 11u);
    return [=](double x, double y) {
        const auto hit = layout.at(x, y);
        const double u = x / size;
        const double v = y / size;
        const double grain = periodic_fbm(u, v, 16, 5, 101);
        const double mottling = periodic_fbm(u, v, 4, 3, 102);
        const double pits = smoothstep(0.76, 0.84, periodic_fbm(u, v, 64, 2, 103));
        const double edge = smoothstep(3.0, 13.0, hit.joint_distance);
        const double height = edge * (0.86 + 0.14 * grain) - 0.15 * pits * edge;
        const glm::dvec3 warm{0.63, 0.58, 0.51};
        const glm::dvec3 cool{0.55, 0.55, 0.54};
        const glm::dvec3 stone = glm::mix(warm, cool, hash_unit(hit.block, 3, 104)) * block_tint(hit.block, 105, 0.25) *
                                 (0.78 + 0.3 * mottling + 0.12 * grain);
        const glm::dvec3 mortar{0.24, 0.22, 0.2};
        const double occlusion = 0.72 + 0.28 * smoothstep(0.0, 18.0, hit.joint_distance);
        const glm::dvec3 colour = glm::mix(mortar, stone, smoothstep(2.0, 6.0, hit.joint_distance)) * occlusion *
                                  (1.0 - 0.15 * pits);
        const double gloss = (0.18 + 0.3 * mottling) * edge * (1.0 - pits);
        return surface_sample{height, colour, gloss};
    };
}

surface wall_ashlar(double size) {
    // Eight courses half a world unit high, blocks of about a world unit.
    const double q = size / 8.0;
    const bond layout = random_bond(size, std::vector<double>(8, q), 4, 0.25, 21u);
    return [=](double x, double y) {
        const auto hit = layout.at(x, y);
        const double u = x / size;
        const double v = y / size;
        const double chisel = periodic_fbm(u, v, 32, 4, 201);
        const double bands = 0.5 + 0.5 * std::sin(2.0 * std::numbers::pi * (24.0 * v + 0.6 * periodic_fbm(u, v, 4, 3, 202)));
        const double edge = smoothstep(3.0, 15.0, hit.joint_distance);
        const double pillow = smoothstep(0.0, 70.0, hit.joint_distance);
        const double height = edge * (0.75 + 0.15 * pillow + 0.12 * chisel);
        const glm::dvec3 sandstone{0.74, 0.61, 0.45};
        const glm::dvec3 stone = sandstone * block_tint(hit.block, 203, 0.3) * (0.84 + 0.05 * bands + 0.2 * chisel);
        const glm::dvec3 mortar{0.45, 0.41, 0.36};
        const double occlusion = 0.7 + 0.3 * smoothstep(0.0, 20.0, hit.joint_distance);
        const glm::dvec3 colour = glm::mix(mortar, stone, smoothstep(2.0, 7.0, hit.joint_distance)) * occlusion;
        return surface_sample{height, colour, 0.08 + 0.12 * edge * chisel};
    };
}

surface fluted_marble(double size) {
    // Sixteen flutes around the shaft, separated by narrow fillets; the top rows are left plain.
    const double flute = size / 16.0;
    const double plain_rows = (1.0 - marble_plain_from) * size;
    const double fillet = flute / 8.0;
    return [=](double x, double y) {
        const double u = x / size;
        const double v = y / size;
        const double in = std::fmod(x, flute) - 0.5 * flute;             // -flute/2 .. flute/2
        const double t = std::abs(in) / (0.5 * flute - 0.5 * fillet);      // 0 mid-flute, 1 at the arris
        const double channel = t < 1.0 && y >= plain_rows ? std::sqrt(1.0 - t * t) : 0.0;
        const double height = 1.0 - 0.55 * channel + 0.03 * periodic_fbm(u, v, 8, 3, 301);
        const double swirl = periodic_fbm(u, v, 4, 4, 302);
        const double vein = std::abs(std::sin(2.0 * std::numbers::pi * (2.0 * u + 1.0 * v) + 7.0 * swirl));
        const double dark = std::pow(1.0 - vein, 10.0);
        const glm::dvec3 marble{0.9, 0.88, 0.84};
        const glm::dvec3 vein_colour{0.45, 0.45, 0.48};
        const glm::dvec3 colour = glm::mix(marble * (0.92 + 0.08 * swirl), vein_colour, 0.7 * dark) *
                                  (0.86 + 0.14 * (1.0 - channel));
        return surface_sample{height, colour, 0.55 + 0.25 * swirl};
    };
}

surface dressed_limestone(double size) {
    // A regular grid of four by four square stones.
    const double q = size / 4.0;
    std::vector<std::vector<double>> joints(4, std::vector<double>{0.0, q, 2.0 * q, 3.0 * q});
    const bond layout(size, {q, q, q, q}, joints);
    return [=](double x, double y) {
        const auto hit = layout.at(x, y);
        const double u = x / size;
        const double v = y / size;
        const double grain = periodic_fbm(u, v, 32, 4, 401);
        const double clouds = periodic_fbm(u, v, 4, 3, 402);
        const double edge = smoothstep(1.5, 7.0, hit.joint_distance);
        const double height = edge * (0.9 + 0.1 * grain);
        const glm::dvec3 limestone{0.83, 0.79, 0.7};
        const glm::dvec3 stone = limestone * block_tint(hit.block, 403, 0.12) * (0.85 + 0.15 * clouds + 0.08 * grain);
        const glm::dvec3 joint{0.42, 0.39, 0.34};
        const glm::dvec3 colour = glm::mix(joint, stone, smoothstep(1.0, 4.0, hit.joint_distance));
        return surface_sample{height, colour, 0.2 + 0.2 * clouds * edge};
    };
}

} // namespace asset_gen
