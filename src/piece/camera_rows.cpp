#include "piece/camera_rows.hpp"

#include "piece/scene_values.hpp"

#include <array>
#include <cmath>
#include <cstddef>
#include <limits>

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

using value_of = camera_value camera_row::*;

// The row's neighbours, when they touch it and key the same field (a row either aims or turns).
const camera_row* touching(const piece_data& p, std::size_t i, int side, value_of field) {
    const camera_row& row = p.camera[i];
    const camera_row* other = nullptr;
    if (side < 0 && i > 0 && p.camera[i - 1].range.until == row.range.from) other = &p.camera[i - 1];
    if (side > 0 && i + 1 < p.camera.size() && p.camera[i + 1].range.from == row.range.until) other = &p.camera[i + 1];
    if (other != nullptr && field != &camera_row::position && other->aims != row.aims) return nullptr;
    return other;
}

// The spline's four points for one component of a keyed field: the row's ends, and the neighbours' far
// ends or the row's own mirrored.
std::array<double, 4> spline_points(const piece_data& p, std::size_t i, value_of field, std::size_t k) {
    const camera_value& v = p.camera[i].*field;
    const double p1 = v.from[k];
    const double p2 = v.to[k];
    const camera_row* before = touching(p, i, -1, field);
    const camera_row* after = touching(p, i, 1, field);
    return {before ? (before->*field).from[k] : 2.0 * p1 - p2, p1, p2,
            after ? (after->*field).to[k] : 2.0 * p2 - p1};
}

float smooth(const piece_data& p, std::size_t i, value_of field, std::size_t k, double t) {
    const camera_row& row = p.camera[i];
    // A constant holds over the row, whatever its neighbours do.
    if (!(row.*field).keyed) return static_cast<float>((row.*field).from[k]);
    const auto [p0, p1, p2, p3] = spline_points(p, i, field, k);
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
        const auto point = [&](value_of field) {
            return glm::vec3(component(p, i, field, 0, t), component(p, i, field, 1, t), component(p, i, field, 2, t));
        };
        const glm::vec3 position = point(&camera_row::position);
        if (!p.camera[i].aims)
            return camera_pose{position, component(p, i, &camera_row::tilt, 0, t), component(p, i, &camera_row::pan, 0, t)};
        return aimed(position, point(&camera_row::look_at));
    }
    return std::nullopt;
}

bool row_stays_finite(const piece_data& p, std::size_t i) {
    const camera_row& row = p.camera[i];
    if (row.rule != camera_rule::smooth) return true; // between its ends
    const auto bounded = [&](value_of field, std::size_t components) {
        if (!(row.*field).keyed) return true;
        for (std::size_t k = 0; k < components; ++k) {
            const auto [p0, p1, p2, p3] = spline_points(p, i, field, k);
            // For u in [0, 1] no power of u is above 1: the sum of the coefficients' sizes bounds the spline.
            const double most = 0.5 * (std::abs(2.0 * p1) + std::abs(p2 - p0) +
                                       std::abs(2.0 * p0 - 5.0 * p1 + 4.0 * p2 - p3) +
                                       std::abs(-p0 + 3.0 * p1 - 3.0 * p2 + p3));
            if (!(most <= std::numeric_limits<float>::max())) return false;
        }
        return true;
    };
    if (!bounded(&camera_row::position, 3)) return false;
    if (row.aims) return bounded(&camera_row::look_at, 3);
    return bounded(&camera_row::tilt, 1) && bounded(&camera_row::pan, 1);
}

camera_pose aimed(const glm::vec3& position, const glm::vec3& target) {
    // The view turns the world by pan about +Y, then by tilt about +X, and looks down -Z: the world
    // direction it looks along is (sin(pan) cos(tilt), -sin(tilt), -cos(pan) cos(tilt)).
    const double x = static_cast<double>(target.x) - position.x;
    const double y = static_cast<double>(target.y) - position.y;
    const double z = static_cast<double>(target.z) - position.z;
    // Straight above or below, or at the point itself, any pan would do: 0 keeps it facing -Z (atan2 of
    // 0 and -0 is pi).
    const double pan = x == 0.0 && z == 0.0 ? 0.0 : std::atan2(x, -z);
    const double tilt = std::atan2(-y, std::hypot(x, z));
    return camera_pose{position, static_cast<float>(tilt), static_cast<float>(pan)};
}

} // namespace piece
