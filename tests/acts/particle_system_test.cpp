#include "acts/particle_system.hpp"
#include "platform/gl_api.hpp"
#include "support/gl_context.hpp"
#include "support/gl_entry.hpp"
#include "support/xvfb.hpp"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <random>
#include <utility>
#include <vector>

static auto* const xvfb = ::testing::AddGlobalTestEnvironment(new test_support::xvfb_environment);

namespace {

// A draw re-derived from a raw engine output: scale by 2^-32 with ldexp, then map onto [lo, hi].
float reference_draw(std::mt19937& ref, float lo, float hi) {
    const std::uint32_t r = ref();
    return lo + (hi - lo) * std::ldexp(static_cast<float>(r), -32);
}

// Puts a live particle into slot i by hand.
void place(particle_system& p, std::size_t i, glm::vec3 position, glm::vec3 velocity, double brightness,
           double fade_rate) {
    p.positions[i] = position;
    p.velocities[i] = velocity;
    p.brightness[i] = brightness;
    p.fade_rates[i] = fade_rate;
    p.alive[i] = true;
}

TEST(particle_system, new_pool_is_all_dead_and_parked_and_moves_whole) {
    particle_system p(1600);
    ASSERT_EQ(p.size(), 1600u);
    EXPECT_TRUE(p.textures.empty());
    for (std::size_t i = 0; i < p.size(); ++i) {
        ASSERT_FALSE(p.alive[i]);
        ASSERT_EQ(p.positions[i], glm::vec3(100.0f));
        ASSERT_EQ(p.velocities[i], glm::vec3(0.0f));
        ASSERT_EQ(p.brightness[i], 0.0);
        ASSERT_EQ(p.sizes[i], 0.0);
        ASSERT_EQ(p.fade_rates[i], 0.0);
        const particle_vertex& v = p.vertices[i];
        ASSERT_EQ(v.position, glm::vec3(0.0f));
        ASSERT_EQ(v.texture_index, 0.0f);
        ASSERT_EQ(v.brightness, 0.0f);
        ASSERT_EQ(v.particle_size, 0.0f);
    }

    particle_system moved(std::move(p));
    EXPECT_EQ(moved.size(), 1600u);
    particle_system assigned(1);
    assigned = std::move(moved);
    EXPECT_EQ(assigned.vertices.size(), 1600u);
}

// Texture names handed to the driver's glDeleteTextures, in call order.
std::vector<GLuint> deleted_names;
PFNGLDELETETEXTURESPROC driver_delete = nullptr;

TEST(particle_system, releases_its_textures_from_the_last_to_the_first) {
    const test_support::gl_context context;
    deleted_names.clear();
    const test_support::scoped_gl_entry<PFNGLDELETETEXTURESPROC> spy{
        glapi::glDeleteTextures, +[](GLsizei n, const GLuint* names) {
            deleted_names.insert(deleted_names.end(), names, names + n);
            driver_delete(n, names);
        }};
    driver_delete = spy.driver();
    std::vector<GLuint> created;
    {
        particle_system p(16);
        p.textures.resize(10);
        for (const gl::texture_2d& texture : p.textures)
            created.push_back(texture.id());
    }
    std::reverse(created.begin(), created.end());
    EXPECT_EQ(deleted_names, created);
}

TEST(particle_system, spawn_follows_the_draw_order_of_a_default_seeded_engine) {
    particle_system p(1600);
    std::mt19937 rng;
    const glm::vec3 direction(0.4f, 0.0f, -1.0f);
    const glm::vec3 origin(0.9f, 3.0f, 2.2f);
    p.spawn(0, 10, direction, origin, rng, 4.0, 0.25, 1.0, 0.05, 2.0, 0.1, 0.2, 1, 1.0);

    std::mt19937 ref;
    const float length = std::sqrt(0.4f * 0.4f + 1.0f);
    const float dir[3] = {0.4f / length, 0.0f / length, -1.0f / length};
    for (std::size_t i = 0; i < 10; ++i) {
        SCOPED_TRACE(i);
        const float d[9] = {
            reference_draw(ref, -1, 1), reference_draw(ref, -1, 1), reference_draw(ref, -1, 1),
            reference_draw(ref, -1, 1), reference_draw(ref, -1, 1), reference_draw(ref, -1, 1),
            reference_draw(ref, -1, 1), reference_draw(ref, -1, 1), reference_draw(ref, 0.5f, 1.5f),
        };
        EXPECT_TRUE(p.alive[i]);
        EXPECT_EQ(p.sizes[i], 0.25 + 0.1 * static_cast<double>(d[0]));
        EXPECT_EQ(p.brightness[i], 1.0 + 0.2 * static_cast<double>(d[1]));
        // Draws 3, 4, 5 are the z, y, x offsets; 6, 7, 8 the z, y, x velocity jitter.
        EXPECT_EQ(p.positions[i].x, 0.9f + 0.05f * d[4]);
        EXPECT_EQ(p.positions[i].y, 3.0f + 0.05f * d[3]);
        EXPECT_EQ(p.positions[i].z, 2.2f + 0.05f * d[2]);
        const auto speed = static_cast<float>(4.0 * static_cast<double>(d[8]));
        EXPECT_EQ(p.velocities[i].x, dir[0] * speed + 2.0f * d[7]);
        EXPECT_EQ(p.velocities[i].y, dir[1] * speed + 2.0f * d[6]);
        EXPECT_EQ(p.velocities[i].z, dir[2] * speed + 2.0f * d[5]);
        EXPECT_EQ(p.vertices[i].texture_index, 1.0f);
        EXPECT_EQ(p.fade_rates[i], 1.0);
    }
    EXPECT_TRUE(rng == ref) << "exactly nine draws per slot";
    EXPECT_FALSE(p.alive[10]);
    EXPECT_EQ(p.positions[10], glm::vec3(100.0f));
}

TEST(particle_system, spawn_overwrites_live_slots_and_stays_inside_the_pool) {
    particle_system p(20);
    std::mt19937 rng;
    p.spawn(15, 30, glm::vec3(0, 1, 0), glm::vec3(0), rng, 1.0, 1.0, 1.0, 0, 0, 0, 0, 2, 1.0);
    std::mt19937 ref;
    ref.discard(5 * 9);
    EXPECT_TRUE(rng == ref) << "only the five slots that exist draw";

    place(p, 3, glm::vec3(7.0f), glm::vec3(1.0f), 0.5, 9.0);
    p.spawn(3, 4, glm::vec3(0, 0, 0), glm::vec3(1, 2, 3), rng, 3.0, 1.0, 2.0, 0, 0, 0, 0, 4, 5.0);
    EXPECT_EQ(p.positions[3], glm::vec3(1, 2, 3));
    EXPECT_EQ(p.velocities[3], glm::vec3(0.0f)) << "a zero direction with no jitter gives no velocity";
    EXPECT_EQ(p.brightness[3], 2.0);
    EXPECT_EQ(p.fade_rates[3], 5.0);
    EXPECT_EQ(p.vertices[3].texture_index, 4.0f);
}

TEST(particle_system, update_moves_pulls_down_and_fades) {
    particle_system p(3);
    place(p, 0, glm::vec3(0.0f), glm::vec3(0.0f), 1.0, 1.0);
    place(p, 1, glm::vec3(0.0f), glm::vec3(0.0f), 1.0, 2.0);
    place(p, 2, glm::vec3(1.0f, 2.0f, 3.0f), glm::vec3(10.0f, 0.0f, -10.0f), 1.0, 0.0);
    p.update(0.1);

    EXPECT_EQ(p.positions[0], glm::vec3(0.0f));
    EXPECT_FLOAT_EQ(p.velocities[0].y, -0.3f);
    EXPECT_EQ(p.velocities[0].x, 0.0f);
    EXPECT_EQ(p.velocities[0].z, 0.0f);
    const double drop = 0.3 * std::sqrt(3.0) * 0.1;
    EXPECT_NEAR(1.0 - p.brightness[0], drop, 1e-6);
    EXPECT_NEAR(1.0 - p.brightness[1], 2.0 * drop, 2e-6);
    EXPECT_TRUE(p.alive[0]);

    // The position step uses the velocity from before gravity.
    EXPECT_FLOAT_EQ(p.positions[2].x, 2.0f);
    EXPECT_FLOAT_EQ(p.positions[2].y, 2.0f);
    EXPECT_FLOAT_EQ(p.positions[2].z, 2.0f);
    EXPECT_EQ(p.brightness[2], 1.0);
}

TEST(particle_system, a_faint_particle_dies_at_the_computed_step_in_either_direction) {
    const auto faint = [] {
        particle_system p(1);
        place(p, 0, glm::vec3(0.0f), glm::vec3(1.0f), 0.01, 1.0);
        return p;
    };
    particle_system longer = faint();
    particle_system shorter = faint();
    particle_system backwards = faint();

    shorter.update(0.0192);
    EXPECT_TRUE(shorter.alive[0]);
    longer.update(0.0193);
    EXPECT_FALSE(longer.alive[0]);
    backwards.update(-0.0193);
    EXPECT_FALSE(backwards.alive[0]) << "a backwards step ages too";
    EXPECT_LT(backwards.positions[0].x, 0.0f) << "while moving backwards";

    // Dead slots keep being stepped.
    const glm::vec3 before = longer.positions[0];
    longer.update(0.5);
    EXPECT_NE(longer.positions[0], before);
    EXPECT_FALSE(longer.alive[0]);
}

TEST(particle_system, build_vertices_parks_dead_slots_and_copies_live_ones) {
    particle_system p(3);
    std::mt19937 rng;
    p.spawn(0, 2, glm::vec3(1, 0, 0), glm::vec3(0), rng, 3.0, 1.0, 2.0, 0.05, 0.1, 0, 0.1, 3, 5.0);
    p.brightness[1] = 0.0001;
    p.update(0.01); // slot 1 fades out, slot 0 lives on
    p.build_vertices();

    const particle_vertex& live = p.vertices[0];
    EXPECT_EQ(live.position, p.positions[0]);
    EXPECT_EQ(live.texture_index, 3.0f);
    EXPECT_EQ(live.brightness, static_cast<float>(p.brightness[0]));
    EXPECT_EQ(live.particle_size, static_cast<float>(p.sizes[0]));

    for (std::size_t i : {std::size_t{1}, std::size_t{2}}) {
        const particle_vertex& dead = p.vertices[i];
        EXPECT_EQ(dead.position, glm::vec3(100.0f));
        EXPECT_EQ(dead.texture_index, 15.0f);
        EXPECT_EQ(dead.brightness, 0.0f);
        EXPECT_EQ(dead.particle_size, 0.0f);
    }
}

TEST(particle_system, build_vertices_lists_the_runs_of_live_slots_in_order) {
    particle_system p(8);
    std::mt19937 rng;
    p.spawn(0, 3, glm::vec3(1, 0, 0), glm::vec3(0), rng, 3.0, 1.0, 2.0, 0.05, 0.1, 0, 0.1, 3, 5.0);
    p.spawn(5, 8, glm::vec3(1, 0, 0), glm::vec3(0), rng, 3.0, 1.0, 2.0, 0.05, 0.1, 0, 0.1, 3, 5.0);
    p.brightness[1] = 0.0001;
    p.update(0.01); // slot 1 fades out
    p.build_vertices();
    EXPECT_EQ(p.live_run_firsts, (std::vector<int>{0, 2, 5}));
    EXPECT_EQ(p.live_run_counts, (std::vector<int>{1, 1, 3}));

    p.clear();
    EXPECT_TRUE(p.live_run_firsts.empty() && p.live_run_counts.empty());
}

TEST(particle_system, first_alive_in_block_finds_the_lowest_live_slot) {
    particle_system p(250);
    EXPECT_FALSE(p.first_alive_in_block(100).has_value());

    place(p, 150, glm::vec3(1, 2, 3), glm::vec3(0), 0.7, 1.0);
    place(p, 105, glm::vec3(4, 5, 6), glm::vec3(0), 0.9, 1.0);
    place(p, 200, glm::vec3(0), glm::vec3(0), 1.0, 1.0); // next block
    const auto found = p.first_alive_in_block(100);
    ASSERT_TRUE(found.has_value());
    EXPECT_EQ(found->slot, 105u);
    EXPECT_EQ(found->position, glm::vec3(4, 5, 6));
    EXPECT_EQ(found->brightness, 0.9);
    EXPECT_FALSE(p.first_alive_in_block(0).has_value());

    // A block running past the pool is cut short.
    place(p, 249, glm::vec3(0), glm::vec3(0), 1.0, 1.0);
    EXPECT_EQ(p.first_alive_in_block(201)->slot, 249u);
    EXPECT_FALSE(p.first_alive_in_block(250).has_value());
}

} // namespace
