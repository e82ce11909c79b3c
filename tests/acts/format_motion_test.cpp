// A piece's particles as its file says: each preset's gravity, an emitter carried along its keys, a
// light's colour, and the sprites' texture indices following the samplers the particle shaders declare.

#include "acts/declared_samplers.hpp"
#include "acts/emitters.hpp"
#include "acts/scene_frame.hpp"
#include "piece/read_piece.hpp"

#include <gtest/gtest.h>

#include <array>
#include <random>
#include <string>
#include <vector>

namespace {

// Two presets that only differ in gravity, a sprite list of three, and one section from 0 to 10 s whose
// emitter `lantern` is carried from (0, 1, 0) at 2 s to (4, 1, -2) at 6 s.
piece::piece_data motion_piece() {
    return piece::read_piece_text(R"([piece]
name = "motion"
length = 10
pool_size = 20
block_size = 10
[assets]
model = "m.obj"
music = "m.wav"
[[sprites]]
name = "petal"
file = "petal.png"
sampler = "petal"
[[sprites]]
name = "plain"
file = "plain.png"
[[sprites]]
name = "glow"
file = "glow.png"
sampler = "glow"
[[tracks]]
name = "always"
events = [[-1, 11, 1]]
[presets.hover]
brightness = 1
gravity = 0
[presets.fall]
brightness = 1
[[sections]]
from = 0
until = 10
lights = { light1 = 0, light2 = { block = 1, color = [1.0, 0.7, 0.4] } }
emitters = [
    { name = "lantern", block = 0, track = "always", interval = 0, origin = { keys = [[2, [0, 1, 0]], [6, [4, 1, -2]]] }, direction = [1, 0, 0], sprite = "glow", preset = "hover" },
    { name = "ember", block = 1, track = "always", interval = 0, origin = [0, 2, 0], direction = [1, 0, 0], sprite = "petal", preset = "fall" },
]
)",
                                  "motion.toml");
}

TEST(format_motion, gravity_per_preset_and_an_emitter_carried_along_its_keys) {
    const piece::piece_data p = motion_piece();
    particle_system particles(p.pool_size);
    emitter_state state(p);
    std::mt19937 rng;
    run_emitters(p, 0, 3.0, std::array<double, 1>{1.0}, particles, state, rng);
    ASSERT_TRUE(particles.alive[0] && particles.alive[10]);
    EXPECT_EQ(particles.positions[0], glm::vec3(1.0f, 1.0f, -0.5f)) << "a quarter of the way at 3 s";
    EXPECT_EQ(particles.positions[10], glm::vec3(0.0f, 2.0f, 0.0f));

    // Hovering keeps its height exactly, step after step; the stock pull takes 3 units/s^2.
    for (int k = 0; k < 60; ++k)
        particles.update(1.0 / 60.0);
    EXPECT_EQ(particles.positions[0].y, 1.0f);
    EXPECT_EQ(particles.velocities[0].y, 0.0f);
    EXPECT_NEAR(particles.velocities[10].y, -3.0f, 1e-5f);
    EXPECT_NEAR(particles.positions[10].y, 2.0f - 3.0f * 1770.0f / 3600.0f, 1e-4f)
        << "sum of 0 to 59 steps of pull";

    // Lights: white by default, else brightness times the colour.
    scene_state lights = piece::scene_values(p, 3.0);
    particles.brightness[10] = 0.5;
    take_particle_lights(lights, particles, p.sections[0], p.block_size);
    EXPECT_EQ(lights.light_intensities[0], glm::vec3(static_cast<float>(particles.brightness[0])));
    EXPECT_EQ(lights.light_intensities[1], glm::vec3(0.5f, 0.35f, 0.2f));
}

TEST(format_motion, texture_indices_follow_the_samplers_the_shaders_declare) {
    const std::vector<std::string> stages{
        "uniform mat4 view_to_clip; // uniform sampler2D not_this;\n",
        "uniform sampler2D glow, /* sampler2D nor_this */ spare[2];\nuniform highp sampler2D\n  petal;\n"
        "uniform vec3 background_color;\nuniform sampler2D glow;\n"};
    EXPECT_EQ(declared_samplers(stages), (std::vector<std::string>{"glow", "spare", "petal"}));

    EXPECT_EQ(sprite_texture_indices(motion_piece(), stages), (std::vector<int>{2, -1, 0}));
}

} // namespace
