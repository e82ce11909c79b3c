#include "piece/camera_rows.hpp"

#include "piece/scene_values.hpp"

#include <cstddef>

namespace piece {

namespace {

float linear(const camera_row& row, const camera_value& v, std::size_t k, double t) {
    if (!v.keyed) return static_cast<float>(v.from[k]);
    return interpolate(t, row.range.from, v.from[k], row.range.until, v.to[k]);
}

// Uniform Catmull-Rom from p1 (u = 0) to p2 (u = 1), p0 and p3 the neighbours.
float catmull_rom(double p0, double p1, double p2, double p3, double u) {
    const double u2 = u * u;
    const double u3 = u2 * u;
    return static_cast<float>(0.5 * (2.0 * p1 + (p2 - p0) * u + (2.0 * p0 - 5.0 * p1 + 4.0 * p2 - p3) * u2 +
                                     (-p0 + 3.0 * p1 - 3.0 * p2 + p3) * u3));
}

// The row's neighbours, when they touch it.
const camera_row* touching(const piece_data& p, std::size_t i, int side) {
    if (side < 0) {
        if (i == 0 || p.camera[i - 1].range.until != p.camera[i].range.from) return nullptr;
        return &p.camera[i - 1];
    }
    if (i + 1 >= p.camera.size() || p.camera[i + 1].range.from != p.camera[i].range.until) return nullptr;
    return &p.camera[i + 1];
}

using value_of = camera_value camera_row::*;

float smooth(const piece_data& p, std::size_t i, value_of field, std::size_t k, double t) {
    const camera_row& row = p.camera[i];
    const camera_value& v = row.*field;
    const double p1 = v.from[k];
    const double p2 = v.to[k];
    const camera_row* before = touching(p, i, -1);
    const camera_row* after = touching(p, i, 1);
    const double p0 = before ? (before->*field).from[k] : 2.0 * p1 - p2;
    const double p3 = after ? (after->*field).to[k] : 2.0 * p2 - p1;
    const double u = (t - row.range.from) / (row.range.until - row.range.from);
    return catmull_rom(p0, p1, p2, p3, u);
}

float component(const piece_data& p, std::size_t i, value_of field, std::size_t k, double t) {
    const camera_row& row = p.camera[i];
    if (row.rule == camera_rule::smooth) return smooth(p, i, field, k, t);
    return linear(row, row.*field, k, t);
}

} // namespace

std::optional<camera_pose> camera_pose_at(const piece_data& p, double t) {
    for (std::size_t i = 0; i < p.camera.size(); ++i) {
        if (!p.camera[i].range.holds(t)) continue;
        const value_of pos = &camera_row::position;
        return camera_pose{{component(p, i, pos, 0, t), component(p, i, pos, 1, t), component(p, i, pos, 2, t)},
                           component(p, i, &camera_row::tilt, 0, t), component(p, i, &camera_row::pan, 0, t)};
    }
    return std::nullopt;
}

} // namespace piece
