#pragma once
// The production's camera flight: fixed rows of keyed positions and angles over the act time.

#include <glm/vec3.hpp>

#include <optional>

struct camera_pose {
    glm::vec3 position;
    float tilt; // radians
    float pan;  // radians
};

// The pose of the first row whose range (t0, t1] holds t; none for t <= 0, t > 75 and NaN, where the
// camera is left where it is.
std::optional<camera_pose> camera_pose_at(double t);
