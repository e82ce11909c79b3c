#include "player/camera.hpp"

#include <glm/mat3x3.hpp>
#include <glm/matrix.hpp>

#include <cmath>

namespace {

// Trigonometry is evaluated in double and rounded once, so results do not depend on the float libm.
float sin_f(float a) {
    return static_cast<float>(std::sin(static_cast<double>(a)));
}
float cos_f(float a) {
    return static_cast<float>(std::cos(static_cast<double>(a)));
}
float tan_f(float a) {
    return static_cast<float>(std::tan(static_cast<double>(a)));
}

// glm::mat4 is indexed [column][row].
glm::mat4 translation(const glm::vec3& v) {
    glm::mat4 m(1.0f);
    m[3][0] = v.x;
    m[3][1] = v.y;
    m[3][2] = v.z;
    return m;
}

glm::mat4 rotation_x(float a) {
    const float c = cos_f(a);
    const float s = sin_f(a);
    glm::mat4 m(1.0f);
    m[1][1] = c;
    m[2][1] = -s;
    m[1][2] = s;
    m[2][2] = c;
    return m;
}

glm::mat4 rotation_y(float a) {
    const float c = cos_f(a);
    const float s = sin_f(a);
    glm::mat4 m(1.0f);
    m[0][0] = c;
    m[2][0] = s;
    m[0][2] = -s;
    m[2][2] = c;
    return m;
}

} // namespace

camera::camera(float aspect, float near_clip, float far_clip, float fov_y, float distance)
    : world_to_clip(1.0f)
    , target_to_clip(1.0f)
    , view_to_clip(1.0f)
    , target_to_view(1.0f)
    , world_to_target(1.0f)
    , position(0.0f)
    , tilt(0.0f)
    , pan(0.0f)
    , distance(distance)
    , aspect(aspect)
    , fov_y(fov_y)
    , near_clip(near_clip)
    , far_clip(far_clip) {
    update_translation();
    update_orbit();
    update_projection();
}

void camera::set_position(const glm::vec3& p) {
    position = p;
    update_translation();
}

void camera::move_by(const glm::vec3& d) {
    position += d;
    update_translation();
}

void camera::move_relative(const glm::vec3& d) {
    // The orbit rotation is orthonormal, so its transpose takes view axes back to world axes.
    position += glm::transpose(glm::mat3(target_to_view)) * d;
    update_translation();
}

void camera::set_pan(float a) {
    pan = a;
    update_orbit();
}

void camera::rotate_pan(float a) {
    pan += a;
    update_orbit();
}

void camera::set_tilt(float a) {
    tilt = a;
    update_orbit();
}

void camera::rotate_tilt(float a) {
    const float v = tilt + a;
    if (-max_tilt < v && v < max_tilt) {
        tilt = v;
    } else if (v >= max_tilt) {
        tilt = max_tilt;
    } else {
        tilt = -max_tilt;
    }
    update_orbit();
}

void camera::set_distance(float d) {
    distance = d;
    update_orbit();
}

void camera::zoom(float a) {
    const float v = distance + a * std::sqrt(distance);
    if (min_distance < v && v < max_distance) {
        distance = v;
    } else if (v >= max_distance) {
        distance = max_distance;
    } else {
        distance = min_distance;
    }
    update_orbit();
}

void camera::set_aspect(float r) {
    aspect = r;
    update_projection();
}

void camera::set_fov_y(float a) {
    fov_y = a;
    update_projection();
}

void camera::update_projection() {
    const float t = tan_f(0.5f * fov_y);
    view_to_clip = glm::mat4(0.0f);
    view_to_clip[0][0] = 1.0f / (aspect * t);
    view_to_clip[1][1] = 1.0f / t;
    view_to_clip[2][2] = -(far_clip + near_clip) / (far_clip - near_clip);
    view_to_clip[3][2] = -(2.0f * far_clip * near_clip) / (far_clip - near_clip);
    view_to_clip[2][3] = -1.0f;
    target_to_clip = view_to_clip * target_to_view;
    world_to_clip = target_to_clip * world_to_target;
}

void camera::update_orbit() {
    target_to_view = translation(glm::vec3(0.0f, 0.0f, -distance)) * rotation_x(tilt) * rotation_y(pan);
    target_to_clip = view_to_clip * target_to_view;
    world_to_clip = target_to_clip * world_to_target;
}

void camera::update_translation() {
    world_to_target = translation(-position);
    world_to_clip = target_to_clip * world_to_target;
}
