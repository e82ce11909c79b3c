#include "image.hpp"
#include "noise.hpp"
#include "sprites.hpp"

#include <glm/common.hpp>
#include <glm/geometric.hpp>
#include <glm/vec2.hpp>
#include <glm/vec3.hpp>

#include <algorithm>
#include <cmath>
#include <tuple>

namespace asset_gen {

namespace {

constexpr int koala_size = 256;

// Coverage of a pixel by an ellipse around c with radii rx, ry (pixels), antialiased over one pixel.
double ellipse(glm::dvec2 p, glm::dvec2 c, double rx, double ry) {
    const glm::dvec2 q = (p - c) / glm::dvec2{rx, ry};
    const double distance = (glm::length(q) - 1.0) * std::min(rx, ry);
    return std::clamp(0.5 - distance, 0.0, 1.0);
}

// Distance from p to the segment a-b.
double segment_distance(glm::dvec2 p, glm::dvec2 a, glm::dvec2 b) {
    const glm::dvec2 ab = b - a;
    const double t = std::clamp(glm::dot(p - a, ab) / glm::dot(ab, ab), 0.0, 1.0);
    return glm::length(p - (a + t * ab));
}

glm::dvec3 koala_pixel(glm::dvec2 p) {
    const double u = p.x / koala_size;
    const double v = p.y / koala_size;
    const double fur = periodic_fbm(u, v, 32, 3, 501);
    // Sky fading into foliage, with a few leaves.
    glm::dvec3 c = glm::mix(glm::dvec3{0.55, 0.75, 0.95}, glm::dvec3{0.3, 0.5, 0.3}, smoothstep(0.2, 1.0, v));
    for (const auto& [cx, cy, rx, ry] : {std::tuple{30.0, 40.0, 26.0, 12.0}, std::tuple{230.0, 60.0, 22.0, 10.0},
                                         std::tuple{20.0, 150.0, 18.0, 9.0}, std::tuple{236.0, 170.0, 24.0, 11.0}}) {
        c = glm::mix(c, glm::dvec3{0.25, 0.55, 0.3} * (0.85 + 0.3 * fur), ellipse(p, {cx, cy}, rx, ry));
    }
    // The branch it sits on.
    const double branch = std::clamp(0.5 - (segment_distance(p, {0, 236}, {256, 206}) - 12.0), 0.0, 1.0);
    c = glm::mix(c, glm::dvec3{0.42, 0.3, 0.18} * (0.8 + 0.3 * fur), branch);
    const glm::dvec3 grey = glm::dvec3{0.55, 0.56, 0.6} * (0.8 + 0.35 * fur);
    const glm::dvec3 pale{0.88, 0.86, 0.84};
    c = glm::mix(c, grey, ellipse(p, {128, 190}, 68, 56));              // body
    c = glm::mix(c, pale * (0.9 + 0.2 * fur), ellipse(p, {128, 200}, 36, 34)); // chest
    for (const double side : {-1.0, 1.0}) {
        const double ragged = 4.0 * (fur - 0.5);
        c = glm::mix(c, grey, ellipse(p, {128 + 58 * side, 72}, 36 + ragged, 34 + ragged)); // ear
        c = glm::mix(c, pale, ellipse(p, {128 + 58 * side, 74}, 20, 19));                   // inner ear
    }
    c = glm::mix(c, grey, ellipse(p, {128, 118}, 64, 58)); // head
    c = glm::mix(c, pale, ellipse(p, {128, 146}, 30, 14)); // muzzle
    for (const double side : {-1.0, 1.0}) {
        c = glm::mix(c, glm::dvec3{0.05}, ellipse(p, {128 + 26 * side, 108}, 7.5, 8.5)); // eye
        c = glm::mix(c, glm::dvec3{1.0}, ellipse(p, {126 + 26 * side, 105}, 2.2, 2.2)); // glint
    }
    c = glm::mix(c, glm::dvec3{0.12, 0.11, 0.12}, ellipse(p, {128, 132}, 15, 21)); // nose
    c = glm::mix(c, glm::dvec3{0.5, 0.5, 0.55}, ellipse(p, {124, 124}, 4, 7));    // nose highlight
    return c;
}

} // namespace

void write_koala(const std::filesystem::path& file) {
    image img(koala_size, koala_size, 3);
    for (int y = 0; y < koala_size; ++y) {
        for (int x = 0; x < koala_size; ++x) {
            const glm::dvec3 c = koala_pixel({x + 0.5, y + 0.5});
            for (int ch = 0; ch < 3; ++ch) img.set(x, y, ch, c[ch]);
        }
    }
    write_jpg(file, img, 90);
}

} // namespace asset_gen
