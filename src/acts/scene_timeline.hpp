#pragma once
// The production's timeline of lights and colour multipliers: values that depend on the act time alone,
// plus the rule that turns the two light particles into the scene's lights.

#include "acts/particle_system.hpp"

#include <glm/mat4x4.hpp>
#include <glm/vec3.hpp>

#include <array>

// Everything a frame's two passes need besides the camera; rebuilt from t every frame.
struct scene_state {
    double t = 0.0;
    std::array<glm::vec3, 2> light_positions{};
    std::array<glm::vec3, 2> light_intensities{};
    glm::vec3 ambient{0.0f}; // all three components equal
    float desaturate = 0.0f;
    float fade = 0.0f;
    glm::mat4 model{1.0f};
};

// Where a light without a particle is put: far outside the model, and dark.
inline constexpr float far_light_coordinate = 100.0f;

enum class scene_section {
    opening, // t < 26.6: sprays, fixed lights
    main,    // 26.6 <= t < 75.3: sprays and the two light particles
    closing, // everything later, and NaN
};

scene_section section_at(double t);

// Key (t0, a) to key (t1, b) at t: weights in double, the result rounded to float. Not clamped.
float interpolate(double t, double t0, double a, double t1, double b);

float ambient_at(double t);
float desaturate_at(double t);
float fade_at(double t);

// The state at t with the default lights; the middle section's lights come from take_particle_lights.
scene_state scene_values(double t);

// Light 1 is the lowest live particle of slots 0 to 99, light 2 that of slots 100 to 199, with the
// particle's brightness as intensity; a block without one puts its light far away with intensity 0.
void take_particle_lights(scene_state& state, const particle_system& particles);
