#pragma once

#include <glm/mat4x4.hpp>
#include <glm/vec3.hpp>

// Orbit camera: looks at `position` from `distance`, turned about it by `pan` (about +Y) and `tilt`
// (about +X), through a perspective lens. Keeps its matrices ready so readers never compute anything;
// every operation recomputes only what depends on the parameter it changed.
class camera {
public:
    camera(float aspect, float near_clip, float far_clip, float fov_y, float distance);

    void set_position(const glm::vec3& p);
    void move_by(const glm::vec3& d);
    // d is given in view axes and applied in world axes.
    void move_relative(const glm::vec3& d);

    void set_pan(float a);
    void rotate_pan(float a);
    void set_tilt(float a);
    // The result is clamped to [-max_tilt, max_tilt]; NaN goes to -max_tilt.
    void rotate_tilt(float a);
    void set_distance(float d);
    // Step scaled by sqrt(distance); the result is clamped to [min_distance, max_distance], NaN to the
    // minimum.
    void zoom(float a);

    void set_aspect(float r);
    void set_fov_y(float a);

    static constexpr float max_tilt = 1.5707964f; // pi/2 rounded to float
    static constexpr float min_distance = 0.1f;
    static constexpr float max_distance = 100.0f;

    glm::mat4 world_to_clip;   // target_to_clip * world_to_target
    glm::mat4 target_to_clip;  // view_to_clip * target_to_view
    glm::mat4 view_to_clip;    // perspective projection
    glm::mat4 target_to_view;  // T(0, 0, -distance) * Rx(tilt) * Ry(pan)
    glm::mat4 world_to_target; // T(-position)
    glm::vec3 position;
    float tilt;
    float pan;
    float distance;
    float aspect;
    float fov_y;
    float near_clip;
    float far_clip;

private:
    void update_projection();
    void update_orbit();
    void update_translation();
};
