#include "pillar.hpp"

#include "finishes.hpp"
#include "shapes.hpp"

#include <cmath>
#include <numbers>

namespace asset_gen {

namespace {

constexpr int column_segments = 32;
// Texture rows of the plain part of the marble quadrant, just above the flutes.
constexpr double plain_marble = marble_plain_from + 0.02;

// Points of an elliptic arc in the profile plane, angles in radians.
std::vector<profile_point> arc(double cr, double cy, double rr, double ry, double from, double to, int pieces) {
    std::vector<profile_point> points;
    for (int i = 0; i <= pieces; ++i) {
        const double a = from + (to - from) * i / pieces;
        points.push_back({cr + rr * std::cos(a), cy + ry * std::sin(a)});
    }
    return points;
}

std::vector<profile_point> line(profile_point a, profile_point b, int pieces) {
    std::vector<profile_point> points;
    for (int i = 0; i <= pieces; ++i) {
        const double t = static_cast<double>(i) / pieces;
        points.push_back({a.r + (b.r - a.r) * t, a.y + (b.y - a.y) * t});
    }
    return points;
}

} // namespace

void column(mesh& m, double x, double z) {
    constexpr double pi = std::numbers::pi;
    constexpr double plinth_top = 0.2;
    constexpr double shaft_bottom = 0.34;
    constexpr double shaft_top = 2.8;
    constexpr double abacus_bottom = 3.0;
    const double w = column_half_width;
    box(m, limestone_blocks, {x - w, 0.0, z - w}, {x + w, plinth_top, z + w}, all_faces & ~neg_y, 0.5);
    const double shaft_length = shaft_top - shaft_bottom;
    lathe(m, {x, 0.0, z},
          {
              {arc(0.24, 0.27, 0.07, 0.07, -pi / 2, pi / 2, 8), limestone_blocks, 0.25},
              {line({0.24, shaft_bottom}, {0.2, shaft_bottom}, 1), limestone_blocks, 0.25},
              {line({0.2, shaft_bottom}, {0.18, shaft_top}, 8), marble, (marble_plain_from - 0.02) / shaft_length},
              {arc(0.18, abacus_bottom, 0.12, 0.2, -pi / 2, 0.0, 6), limestone_blocks, 0.25},
          },
          column_segments);
    box(m, limestone_blocks, {x - w, abacus_bottom, z - w}, {x + w, column_height, z + w}, all_faces & ~neg_y, 0.5);
}

void finial(mesh& m, double x, double z) {
    constexpr double pi = std::numbers::pi;
    constexpr double radius = 0.22;
    lathe(m, {x, column_height, z}, {{arc(0.0, radius, radius, radius, -pi / 2, pi / 2, 16), marble, 0.3, plain_marble}},
          column_segments);
}

void lamp_stand(mesh& m, double x, double floor_y, double z, double rim_y) {
    constexpr double pi = std::numbers::pi;
    const double stem_top = rim_y - 0.18;
    const double foot_top = floor_y + 0.06;
    constexpr double v = 0.2;
    lathe(m, {x, 0.0, z},
          {
              {line({0.13, floor_y}, {0.13, foot_top}, 1), marble, v, plain_marble},
              {arc(0.05, foot_top, 0.08, 0.08, 0.0, pi / 2, 6), marble, v, plain_marble},
              {line({0.05, foot_top + 0.08}, {0.045, stem_top}, 3), marble, v, plain_marble},
              {arc(0.045, rim_y, 0.16, 0.18, -pi / 2, 0.0, 8), marble, v, plain_marble},
              {line({0.205, rim_y}, {0.175, rim_y}, 1), marble, v, plain_marble},
              {arc(0.0, rim_y, 0.175, 0.11, 0.0, -pi / 2, 8), marble, v, plain_marble},
          },
          24);
}

} // namespace asset_gen
