#include "acts/camera_path.hpp"

#include "acts/scene_timeline.hpp"

namespace {

struct key_position {
    double x;
    double y;
    double z;
};

glm::vec3 interpolate(double t, double t0, const key_position& a, double t1, const key_position& b) {
    return {::interpolate(t, t0, a.x, t1, b.x), ::interpolate(t, t0, a.y, t1, b.y),
            ::interpolate(t, t0, a.z, t1, b.z)};
}

bool within(double t, double t0, double t1) {
    return t0 < t && t <= t1;
}

} // namespace

std::optional<camera_pose> camera_pose_at(double t) {
    if (within(t, 0.0, 8.0)) {
        return camera_pose{interpolate(t, 0.0, {-2.44, 3.07, 13.2}, 8.0, {-5.641, 1.614, 13.46}), 0.1492f,
                           6.39f};
    }
    if (within(t, 8.0, 20.0)) {
        return camera_pose{interpolate(t, 8.0, {-4.82, 3.44, 3.86}, 20.0, {-4.521, 3.415, -4.699}), 0.492f,
                           7.85f};
    }
    if (within(t, 20.0, 26.6)) {
        return camera_pose{{8.38f, 3.45f, -4.912f},
                           ::interpolate(t, 20.0, 0.122, 26.6, 0.299),
                           ::interpolate(t, 20.0, 11.15, 26.6, 9.33)};
    }
    if (within(t, 26.6, 37.0)) {
        return camera_pose{interpolate(t, 26.6, {8.38, 3.45, -4.912}, 37.0, {-4.132, 3.42, -4.77}), 0.299f,
                           9.33f};
    }
    if (within(t, 37.0, 52.0)) {
        return camera_pose{{-5.24f, 7.38f, -4.64f}, 0.629f, 8.24f};
    }
    if (within(t, 52.0, 75.0)) {
        return camera_pose{interpolate(t, 52.0, {8.02, 6.899, 4.32}, 75.0, {-1.32, 6.17, 4.32}), 0.76f,
                           ::interpolate(t, 52.0, 12.21, 75.0, 13.12)};
    }
    return std::nullopt;
}
