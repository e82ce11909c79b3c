#pragma once
// A piece's curves at t: the values both passes read besides the camera.

#include "piece/piece.hpp"

#include <glm/mat4x4.hpp>
#include <glm/vec3.hpp>

#include <array>
#include <optional>
#include <string>
#include <vector>

// A curve's value for a uniform that the engine does not hold itself.
struct uniform_value {
    const std::string* name; // the curve's target, which outlives the state
    int components;          // 1: float, 3: vec3
    glm::vec3 value;
};

// Everything a frame's two passes need besides the camera; rebuilt from t every frame.
struct scene_state {
    double t = 0.0;
    std::array<glm::vec3, 2> light_positions{};
    std::array<glm::vec3, 2> light_intensities{};
    glm::vec3 ambient{0.0f};
    float desaturate = 0.0f;
    float fade = 0.0f;
    glm::mat4 model{1.0f};
    // The curves of any other uniform, in the piece's order.
    std::vector<uniform_value> uniforms;
};

// Where a light without a particle is put: far outside the model, and dark.
inline constexpr float far_light_coordinate = 100.0f;

// Key (t0, a) to key (t1, b) at t: weights in double, the result rounded to float. Not clamped.
float interpolate(double t, double t0, double a, double t1, double b);

namespace piece {

// A value the engine holds itself, and what it is when no curve names it.
struct stock_value {
    int components;
    std::array<double, 3> value;
};
std::optional<stock_value> stock_value_of(const std::string& uniform);

// How far from 0 keys and ramps run on: beyond, in either direction, they hold their value there, so
// that the reader can check every value a piece gives is a finite float.
inline constexpr double furthest_time = 1e9; // seconds, some 32 years

// Keys at t (each component rounded to float), as a segment or a keyed value has them.
glm::vec3 keys_at(const std::vector<key>& keys, double t, int components);
// A ramp at t, rounded to float.
float ramp_at(const ramp& r, double t);

// The value of one curve at t, each component rounded to float; `tracks` are the piece's, which the
// segments that follow a track read.
glm::vec3 curve_at(const curve& c, double t, const std::vector<track>& tracks);

// A constant or keyed vec3 at t, keyed as a curve's keys are (not clamped).
glm::vec3 value_at(const keyed_vec3& v, double t);

// Every curve at t, with the stock values where no curve says otherwise. Allocates only for the curves
// of uniforms the engine does not hold.
scene_state scene_values(const piece_data& p, double t);

// The section holding t, if any.
const section* section_at(const piece_data& p, double t);

} // namespace piece
