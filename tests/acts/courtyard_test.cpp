// The built-in piece's curves, sections, lights and camera at the times where its rules change.
#include "acts/courtyard.hpp"

#include <gtest/gtest.h>

#include <cmath>
#include <random>

namespace {

using namespace courtyard;

void expect_vec3(const glm::vec3& v, float x, float y, float z) {
    EXPECT_EQ(v.x, x);
    EXPECT_EQ(v.y, y);
    EXPECT_EQ(v.z, z);
}

bool finite(const glm::vec3& v) {
    return std::isfinite(v.x) && std::isfinite(v.y) && std::isfinite(v.z);
}

TEST(scene_timeline, interpolate_hits_its_keys_and_runs_on_past_them) {
    EXPECT_EQ(interpolate(25.8, 25.8, 1.0, 26.6, 0.0), 1.0f);
    EXPECT_EQ(interpolate(26.6, 25.8, 1.0, 26.6, 0.0), 0.0f);
    EXPECT_EQ(interpolate(2.0, 0.0, -2.44, 8.0, -5.641), static_cast<float>(-2.44 * 0.75 + -5.641 * 0.25));
    EXPECT_FLOAT_EQ(interpolate(12.0, 0.0, 0.0, 8.0, 1.0), 1.5f);
    EXPECT_FLOAT_EQ(interpolate(-4.0, 0.0, 0.0, 8.0, 1.0), -0.5f);
}

TEST(scene_timeline, opening_section) {
    const scene_state s = scene_values(0.0);
    EXPECT_EQ(section_at(0.0), scene_section::opening);
    expect_vec3(s.light_positions[0], 2.384f, 3.81f, 2.88f);
    expect_vec3(s.light_positions[1], 100.0f, 100.0f, 100.0f);
    expect_vec3(s.light_intensities[0], 4.0f, 4.0f, 4.0f);
    expect_vec3(s.light_intensities[1], 4.0f, 4.0f, 4.0f);
    expect_vec3(s.ambient, 0.5f, 0.5f, 0.5f);
    EXPECT_EQ(s.model, glm::mat4(1.0f));
    EXPECT_EQ(s.desaturate, 50.0f);
    EXPECT_EQ(s.fade, 1.0f);

    EXPECT_EQ(desaturate_at(21.0), 50.0f);
    EXPECT_NEAR(desaturate_at(21.5), 70.8333, 1e-3) << "the line continued before its key at 23";
    EXPECT_NEAR(desaturate_at(23.0), 50.0, 1e-4);
    EXPECT_EQ(fade_at(25.8), 1.0f);
    EXPECT_NEAR(fade_at(26.2), 0.5, 1e-6);
    EXPECT_EQ(section_at(26.599999), scene_section::opening);
}

TEST(scene_timeline, main_section_fade_dips_and_final_fade) {
    EXPECT_EQ(section_at(26.6), scene_section::main);
    EXPECT_EQ(fade_at(26.6), 0.0f);
    EXPECT_EQ(ambient_at(26.6), 0.05f);
    EXPECT_EQ(desaturate_at(26.6), 0.0f);
    EXPECT_NEAR(fade_at(27.0999), 0.5 / 44.5, 1e-5);
    EXPECT_EQ(fade_at(27.1), 1.0f) << "the slow rise steps to full at 27.1";
    EXPECT_EQ(fade_at(36.5), 1.0f);
    EXPECT_NEAR(fade_at(36.75), 0.5, 1e-6);
    EXPECT_EQ(fade_at(37.0), 0.0f);
    EXPECT_NEAR(fade_at(37.25), 0.5, 1e-6);
    EXPECT_EQ(fade_at(37.5), 1.0f);
    EXPECT_EQ(fade_at(72.0), 1.0f);
    EXPECT_EQ(ambient_at(69.9), 0.05f);

    EXPECT_NEAR(fade_at(73.65), 0.5, 1e-6);
    EXPECT_NEAR(desaturate_at(73.65), 34.434, 1e-3);
    EXPECT_NEAR(ambient_at(73.65), 0.3599, 1e-4);
}

TEST(scene_timeline, closing_section) {
    for (double t : {75.3, 80.0, 1000.0}) {
        SCOPED_TRACE(t);
        EXPECT_EQ(section_at(t), scene_section::closing);
        const scene_state s = scene_values(t);
        EXPECT_EQ(s.fade, 0.0f);
        EXPECT_EQ(s.desaturate, 50.0f);
        expect_vec3(s.ambient, 0.5f, 0.5f, 0.5f);
        expect_vec3(s.light_positions[0], 2.384f, 3.81f, 2.88f);
    }
    EXPECT_EQ(fade_at(std::nan("")), 0.0f);
}

TEST(camera_path, rows_end_on_their_last_keys) {
    EXPECT_FALSE(camera_pose_at(0.0).has_value());
    EXPECT_FALSE(camera_pose_at(75.000001).has_value());
    EXPECT_FALSE(camera_pose_at(std::nan("")).has_value());

    struct boundary {
        double t;
        glm::vec3 position;
        float tilt;
        float pan;
    };
    const boundary ends[] = {
        {8.0, {-5.641f, 1.614f, 13.46f}, 0.1492f, 6.39f}, {20.0, {-4.521f, 3.415f, -4.699f}, 0.492f, 7.85f},
        {26.6, {8.38f, 3.45f, -4.912f}, 0.299f, 9.33f},   {37.0, {-4.132f, 3.42f, -4.77f}, 0.299f, 9.33f},
        {52.0, {-5.24f, 7.38f, -4.64f}, 0.629f, 8.24f},   {75.0, {-1.32f, 6.17f, 4.32f}, 0.76f, 13.12f},
    };
    for (const boundary& b : ends) {
        SCOPED_TRACE(b.t);
        const auto pose = camera_pose_at(b.t);
        ASSERT_TRUE(pose.has_value());
        expect_vec3(pose->position, b.position.x, b.position.y, b.position.z);
        EXPECT_EQ(pose->tilt, b.tilt);
        EXPECT_EQ(pose->pan, b.pan);
    }

    // Just past a boundary the next row starts from its first keys.
    EXPECT_NEAR(camera_pose_at(20.0 + 1e-9)->pan, 11.15f, 1e-5);
}

TEST(scene_timeline, particle_lights_fall_back_to_a_far_dark_light) {
    particle_system p(1600);
    p.alive[105] = true;
    p.positions[105] = glm::vec3(1.0f, 2.0f, 3.0f);
    p.brightness[105] = 1.5;
    scene_state s = scene_values(30.0);
    courtyard::take_particle_lights(s, p);
    expect_vec3(s.light_positions[0], 100.0f, 100.0f, 100.0f);
    expect_vec3(s.light_intensities[0], 0.0f, 0.0f, 0.0f);
    expect_vec3(s.light_positions[1], 1.0f, 2.0f, 3.0f);
    expect_vec3(s.light_intensities[1], 1.5f, 1.5f, 1.5f);
}

struct scene_fixture : ::testing::Test {
    sound_state tracks;
    camera cam{16.0f / 9.0f, 0.1f, 100.0f, 1.0f, 5.0f};
    particle_system particles{1600};
    emitter_state emitters = fresh_emitters();
    std::mt19937 rng;
};

TEST_F(scene_fixture, lights_are_taken_after_the_emitters_and_before_the_step) {
    const scene_state first = courtyard::advance_scene(26.6, 26.5, tracks, cam, particles, emitters, rng);
    expect_vec3(first.light_positions[0], 100.0f, 100.0f, 100.0f); // no light particle yet
    EXPECT_EQ(first.light_intensities[0], glm::vec3(0.0f));

    // e[2] sounds between 27.59 and 27.62: emitter 0 throws its light in this very frame.
    const scene_state s = courtyard::advance_scene(27.6, 27.6 - 1.0 / 60.0, tracks, cam, particles, emitters, rng);
    ASSERT_TRUE(particles.alive[0]);
    const double step_fade = 5.0 * 0.3 * std::sqrt(3.0) / 60.0;
    EXPECT_NEAR(s.light_intensities[0].x, particles.brightness[0] + step_fade, 1e-5);
    EXPECT_NE(s.light_positions[0], particles.positions[0]) << "the light stays where the particle was";
    expect_vec3(s.light_positions[1], 100.0f, 100.0f, 100.0f);
    EXPECT_EQ(s.light_intensities[1], glm::vec3(0.0f));
    EXPECT_EQ(particles.vertices[0].position, particles.positions[0]) << "records are rebuilt after the step";
}

TEST_F(scene_fixture, camera_follows_the_rows_and_is_left_alone_outside_them) {
    courtyard::advance_scene(0.0, 0.0, tracks, cam, particles, emitters, rng);
    EXPECT_EQ(cam.position, glm::vec3(0.0f)) << "no row holds t = 0";
    EXPECT_EQ(cam.distance, 0.0f);

    courtyard::advance_scene(8.0, 0.0, tracks, cam, particles, emitters, rng);
    expect_vec3(cam.position, -5.641f, 1.614f, 13.46f);
    EXPECT_EQ(cam.tilt, 0.1492f);
    EXPECT_EQ(cam.pan, 6.39f);

    courtyard::advance_scene(75.0, 8.0, tracks, cam, particles, emitters, rng);
    cam.set_distance(3.0f);
    const scene_state s = courtyard::advance_scene(80.0, 75.0, tracks, cam, particles, emitters, rng);
    expect_vec3(cam.position, -1.32f, 6.17f, 4.32f);
    EXPECT_EQ(cam.pan, 13.12f);
    EXPECT_EQ(cam.distance, 0.0f) << "the eye sits at the camera position every frame";
    EXPECT_EQ(s.fade, 0.0f);
    EXPECT_EQ(s.desaturate, 50.0f);
}

TEST_F(scene_fixture, a_whole_piece_at_60_fps_stays_finite_and_sprays) {
    double previous = 0.0;
    std::size_t most_alive = 0;
    for (int n = 0; n <= 80 * 60; ++n) {
        const double t = n / 60.0;
        const scene_state s = courtyard::advance_scene(t, previous, tracks, cam, particles, emitters, rng);
        previous = t;
        ASSERT_TRUE(finite(s.light_positions[0]) && finite(s.light_positions[1]) &&
                    finite(s.light_intensities[0]) && finite(s.light_intensities[1]) && finite(s.ambient) &&
                    std::isfinite(s.desaturate) && std::isfinite(s.fade))
            << "at t = " << t;
        std::size_t alive = 0;
        for (std::size_t i = 0; i < particles.size(); ++i) {
            ASSERT_TRUE(finite(particles.positions[i]) && finite(particles.vertices[i].position));
            alive += particles.alive[i] ? 1 : 0;
        }
        most_alive = std::max(most_alive, alive);
    }
    EXPECT_GT(most_alive, 10u);
    EXPECT_GT(emitters.counters[0][2], 0);
    EXPECT_GT(emitters.counters[1][0], 0) << "the main section threw lights";
    for (int c = 0; c < 4; ++c)
        for (int r = 0; r < 4; ++r)
            ASSERT_TRUE(std::isfinite(cam.world_to_clip[c][r]));
}

} // namespace
