#pragma once
// A piece's camera flight: the pose of the row holding t.

#include "piece/piece.hpp"

#include <glm/vec3.hpp>

#include <optional>

struct camera_pose {
    glm::vec3 position;
    float tilt; // radians
    float pan;  // radians
};

namespace piece {

// The pose of the first row whose range holds t; none outside every row (and for NaN), where the camera
// is left where it is. Linear rows key their two ends; smooth rows run a Catmull-Rom spline through
// their ends and the neighbouring rows' far ends (their own ends mirrored where no row touches).
// A row with `look_at` keys (or splines) the point looked at as it does the position, and turns the camera
// to it.
std::optional<camera_pose> camera_pose_at(const piece_data& p, double t);

// Whether every value of row i over its range is a finite float, its ends being ones: a smooth row's spline
// may go beyond them.
bool row_stays_finite(const piece_data& p, std::size_t i);

// The camera at `position` turned to look at `target` (level, facing -Z, when they are the same point).
camera_pose aimed(const glm::vec3& position, const glm::vec3& target);

} // namespace piece
