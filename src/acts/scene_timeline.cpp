#include "acts/scene_timeline.hpp"

namespace {

constexpr double main_start = 26.6;
constexpr double closing_start = 75.3;

const std::array<glm::vec3, 2> default_light_positions{glm::vec3(2.384f, 3.81f, 2.88f),
                                                       glm::vec3(far_light_coordinate)};
const glm::vec3 default_intensity(4.0f);

float opening_desaturate(double t) {
    // The line through (23, 50) and (26.6, 0), already running from 21 on.
    return t <= 21.0 ? 50.0f : static_cast<float>(50.0 * (26.6 - t) / 3.6);
}

// Full, with a slow rise at the start of the section, a dip to black around 37 and the final fade.
float main_fade(double t) {
    if (t < 27.1) return interpolate(t, 26.6, 0.0, 71.1, 1.0);
    if (36.5 < t && t < 37.0) return static_cast<float>(2.0 * (37.0 - t));
    if (37.0 <= t && t < 37.5) return static_cast<float>(2.0 * (t - 37.0));
    if (72.0 < t) return interpolate(t, 72.0, 1.0, 75.3, 0.0);
    return 1.0f;
}

} // namespace

scene_section section_at(double t) {
    if (t < main_start) return scene_section::opening;
    if (t < closing_start) return scene_section::main;
    return scene_section::closing;
}

float interpolate(double t, double t0, double a, double t1, double b) {
    const double w0 = (t1 - t) / (t1 - t0);
    const double w1 = (t - t0) / (t1 - t0);
    return static_cast<float>(a * w0 + b * w1);
}

float ambient_at(double t) {
    switch (section_at(t)) {
    case scene_section::main:
        return t >= 70.0 ? interpolate(t, 70.0, 0.05, 75.3, 0.5) : 0.05f;
    case scene_section::opening:
    case scene_section::closing:
        break;
    }
    return 0.5f;
}

float desaturate_at(double t) {
    switch (section_at(t)) {
    case scene_section::opening:
        return opening_desaturate(t);
    case scene_section::main:
        return t >= 70.0 ? interpolate(t, 70.0, 0.0, 75.3, 50.0) : 0.0f;
    case scene_section::closing:
        break;
    }
    return 50.0f;
}

float fade_at(double t) {
    switch (section_at(t)) {
    case scene_section::opening:
        return t <= 25.8 ? 1.0f : interpolate(t, 25.8, 1.0, 26.6, 0.0);
    case scene_section::main:
        return main_fade(t);
    case scene_section::closing:
        break;
    }
    return 0.0f;
}

scene_state scene_values(double t) {
    scene_state s;
    s.t = t;
    s.light_positions = default_light_positions;
    s.light_intensities = {default_intensity, default_intensity};
    s.ambient = glm::vec3(ambient_at(t));
    s.desaturate = desaturate_at(t);
    s.fade = fade_at(t);
    s.model = glm::mat4(1.0f);
    return s;
}

void take_particle_lights(scene_state& state, const particle_system& particles) {
    for (std::size_t k = 0; k < state.light_positions.size(); ++k) {
        const auto p = particles.first_alive_in_block(k * particle_system::block_size);
        if (p) {
            state.light_positions[k] = p->position;
            state.light_intensities[k] = glm::vec3(static_cast<float>(p->brightness));
        } else {
            state.light_positions[k] = glm::vec3(far_light_coordinate);
            state.light_intensities[k] = glm::vec3(0.0f);
        }
    }
}
