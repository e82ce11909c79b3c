#include "sprites.hpp"

#include "image.hpp"
#include "noise.hpp"
#include "rng.hpp"

#include <glm/common.hpp>
#include <glm/geometric.hpp>
#include <glm/vec2.hpp>
#include <glm/vec3.hpp>

#include <algorithm>
#include <cmath>
#include <functional>
#include <numbers>
#include <vector>

namespace asset_gen {

namespace {

constexpr int sprite_size = 128;
constexpr double pi = std::numbers::pi;

struct texel {
    glm::dvec3 colour;
    double alpha;
};

// Paints a sprite from a function of the centred coordinates x, y in [-1, 1] (y up). Whatever the
// function returns, alpha is faded out towards the square's edge so no sprite shows its border.
void paint(const std::filesystem::path& file, const std::function<texel(double x, double y)>& shade) {
    image img(sprite_size, sprite_size, 4);
    for (int row = 0; row < sprite_size; ++row) {
        for (int col = 0; col < sprite_size; ++col) {
            const double x = 2.0 * (col + 0.5) / sprite_size - 1.0;
            const double y = 1.0 - 2.0 * (row + 0.5) / sprite_size;
            const texel t = shade(x, y);
            const double border = smoothstep(0.97, 0.8, std::max(std::abs(x), std::abs(y)));
            for (int c = 0; c < 3; ++c) img.set(col, row, c, t.colour[c]);
            img.set(col, row, 3, t.alpha * border);
        }
    }
    write_png(file, img);
}

constexpr double pixel = 2.0 / sprite_size;

// Alpha of a shape whose edge is at edge_radius, seen at radius r: soft over about three pixels.
double soft_edge(double edge_radius, double r) { return smoothstep(edge_radius + 1.5 * pixel, edge_radius - 1.5 * pixel, r); }

void star(const std::filesystem::path& file) {
    constexpr int points = 5;
    constexpr double outer = 0.78;
    constexpr double inner = 0.33;
    const double sector = 2.0 * pi / points;
    const glm::dvec2 tip{outer, 0.0};
    const glm::dvec2 notch{inner * std::cos(sector / 2), inner * std::sin(sector / 2)};
    const glm::dvec2 edge = notch - tip;
    paint(file, [&](double x, double y) {
        const double r = std::hypot(x, y);
        // Angle from the upward point, folded into half a sector.
        double a = std::fmod(std::atan2(x, y) + 2.0 * pi, sector);
        a = std::min(a, sector - a);
        const glm::dvec2 dir{std::cos(a), std::sin(a)};
        const double boundary = (tip.x * edge.y - tip.y * edge.x) / (dir.x * edge.y - dir.y * edge.x);
        const double body = soft_edge(boundary, r);
        const double glow = 0.45 * std::exp(-(r * r) / (0.5 * 0.5));
        const glm::dvec3 gold{1.0, 0.82, 0.35};
        const glm::dvec3 colour = glm::mix(gold, glm::dvec3{1.0, 0.98, 0.9}, std::exp(-(r * r) / 0.04));
        return texel{colour, std::max(body, glow)};
    });
}

struct flower_style {
    int petals;
    double sharpness; // exponent of the petal outline: higher gives thinner petals
    glm::dvec3 petal_base;
    glm::dvec3 petal_tip;
    glm::dvec3 heart;
    double heart_radius;
};

void flower(const std::filesystem::path& file, const flower_style& s) {
    constexpr double radius = 0.86;
    paint(file, [&](double x, double y) {
        const double r = std::hypot(x, y);
        const double theta = std::atan2(y, x);
        const double lobe = std::pow(std::abs(std::cos(0.5 * s.petals * theta)), s.sharpness);
        const double outline = radius * (0.3 + 0.7 * lobe);
        const double petal = soft_edge(outline, r);
        const double along = std::clamp(r / radius, 0.0, 1.0);
        const double vein = 0.9 + 0.1 * std::cos(6.0 * s.petals * theta);
        glm::dvec3 colour = glm::mix(s.petal_base, s.petal_tip, along) * vein;
        const double heart = soft_edge(s.heart_radius, r);
        const double seeds = 0.85 + 0.15 * std::sin(40.0 * x) * std::sin(40.0 * y);
        colour = glm::mix(colour, s.heart * seeds, heart);
        return texel{colour, std::max(petal, heart)};
    });
}

void glow(const std::filesystem::path& file, glm::dvec3 tint, const std::function<double(double, double)>& shape) {
    paint(file, [&](double x, double y) {
        const double r = std::hypot(x, y);
        const glm::dvec3 colour = glm::mix(tint, glm::dvec3{1.0}, std::exp(-(r * r) / 0.02));
        return texel{colour, std::clamp(shape(x, y), 0.0, 1.0)};
    });
}

struct spot {
    glm::dvec2 centre;
    double radius;
    glm::dvec3 colour;
};

std::vector<spot> scatter(unsigned seed, int count, const std::vector<glm::dvec3>& palette) {
    rng random(seed);
    std::vector<spot> spots;
    while (static_cast<int>(spots.size()) < count) {
        const glm::dvec2 c{random.uniform(-0.6, 0.6), random.uniform(-0.6, 0.6)};
        const double rad = random.uniform(0.09, 0.2);
        const glm::dvec3 colour = palette[random.next() % palette.size()];
        if (glm::length(c) + rad < 0.8) spots.push_back({c, rad, colour});
    }
    return spots;
}

// Spots: each spot's alpha is `profile` of the distance from its centre relative to its radius.
void spots(const std::filesystem::path& file, const std::vector<spot>& list, const std::function<double(double)>& profile) {
    paint(file, [&](double x, double y) {
        texel best{list.front().colour, 0.0};
        for (const spot& s : list) {
            const double a = profile(glm::length(glm::dvec2{x, y} - s.centre) / s.radius);
            if (a > best.alpha) best = {s.colour, a};
        }
        return best;
    });
}

} // namespace

void write_sprites(const std::filesystem::path& dir) {
    star(dir / "star.png");
    flower(dir / "kukka1.png", {5, 0.8, {0.85, 0.25, 0.45}, {1.0, 0.7, 0.8}, {1.0, 0.8, 0.2}, 0.2});
    flower(dir / "kukka2.png", {8, 1.2, {0.35, 0.3, 0.85}, {0.75, 0.7, 1.0}, {1.0, 0.95, 0.7}, 0.16});
    flower(dir / "kukka3.png", {13, 3.0, {0.9, 0.9, 0.85}, {1.0, 1.0, 1.0}, {1.0, 0.75, 0.1}, 0.24});
    glow(dir / "valo.png", {1.0, 0.9, 0.7}, [](double x, double y) {
        const double r2 = x * x + y * y;
        return std::exp(-r2 / 0.09) + 0.25 * std::exp(-r2 / 0.3);
    });
    glow(dir / "valo2.png", {0.55, 0.75, 1.0}, [](double x, double y) {
        const double core = std::exp(-(x * x + y * y) / 0.04);
        const double ray_x = std::exp(-std::abs(y) / 0.025 - x * x / 0.35);
        const double ray_y = std::exp(-std::abs(x) / 0.025 - y * y / 0.35);
        return core + 0.7 * std::max(ray_x, ray_y);
    });
    glow(dir / "valo3.png", {1.0, 0.55, 0.2}, [](double x, double y) {
        const double r = std::hypot(x, y);
        return std::exp(-r * r / 0.02) + 0.7 * std::exp(-std::pow((r - 0.55) / 0.09, 2.0));
    });
    spots(dir / "taplat.png", scatter(7u, 14, {{0.95, 0.85, 0.3}, {0.6, 0.85, 0.35}, {1.0, 0.6, 0.3}}),
          [](double d) { return smoothstep(1.0, 0.6, d); });
    spots(dir / "taplat2.png", scatter(8u, 9, {{0.45, 0.28, 0.12}, {0.3, 0.18, 0.08}}),
          [](double d) { return std::exp(-std::pow((d - 0.75) / 0.18, 2.0)); });
}

} // namespace asset_gen
