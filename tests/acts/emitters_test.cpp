#include "acts/courtyard.hpp"

#include <gtest/gtest.h>

#include <array>
#include <cstddef>
#include <random>
#include <vector>

namespace {

using namespace courtyard;

constexpr double frame = 1.0 / 60.0;

std::vector<std::size_t> live_slots(const particle_system& p, std::size_t first, std::size_t end) {
    std::vector<std::size_t> slots;
    for (std::size_t i = first; i < end; ++i)
        if (p.alive[i]) slots.push_back(i);
    return slots;
}

std::vector<std::size_t> range(std::size_t first, std::size_t count) {
    std::vector<std::size_t> r;
    for (std::size_t i = 0; i < count; ++i)
        r.push_back(first + i);
    return r;
}

void kill_all(particle_system& p) {
    for (std::size_t i = 0; i < p.size(); ++i)
        p.alive[i] = false;
}

TEST(emitters, bursts_roll_through_each_block_and_wrap_after_ten) {
    particle_system p(1600);
    emitter_state state = fresh_emitters();
    std::mt19937 rng;
    const std::array<double, 4> e{1, 0, 0, 0};
    for (int burst = 0; burst < 12; ++burst) {
        SCOPED_TRACE(burst);
        kill_all(p);
        emit_opening(0.2 * (burst + 1), e, p, state, rng);
        const std::size_t offset = 10 * static_cast<std::size_t>(burst % 10);
        for (std::size_t block = 200; block < 800; block += 100) {
            EXPECT_EQ(live_slots(p, block, block + 100), range(block + offset, 10));
        }
        EXPECT_TRUE(live_slots(p, 0, 200).empty()) << "e[2] and e[3] are silent";
    }
    EXPECT_EQ(state.counters[0][2], 120);
    EXPECT_EQ(state.last_burst[7], 0.2 * 12);
}

TEST(emitters, each_e0_emitter_bursts_on_the_first_frame_past_its_interval) {
    particle_system p(1600);
    emitter_state state = fresh_emitters();
    std::mt19937 rng;
    const std::array<double, 4> e{54, 0, 0, 0};
    std::array<std::vector<double>, emitter_count> bursts;
    for (int n = 1; n <= 600; ++n) {
        const double t = n * frame;
        const std::vector<double> before = state.last_burst;
        emit_opening(t, e, p, state, rng);
        for (std::size_t k = 0; k < emitter_count; ++k)
            if (state.last_burst[k] != before[k]) bursts[k].push_back(t);
    }
    EXPECT_TRUE(bursts[0].empty());
    EXPECT_TRUE(bursts[1].empty());
    for (std::size_t k = 2; k < emitter_count; ++k) {
        SCOPED_TRACE(k);
        ASSERT_GT(bursts[k].size(), 80u);
        EXPECT_DOUBLE_EQ(bursts[k].front(), 7 * frame) << "the first frame later than 0.1 s";
        for (std::size_t i = 1; i < bursts[k].size(); ++i) {
            const double gap = bursts[k][i] - bursts[k][i - 1];
            EXPECT_GT(gap, 0.1);
            EXPECT_LT(gap, 0.1 + frame + 1e-9);
        }
    }
}

TEST(emitters, routines_keep_their_own_counters_but_share_last_burst) {
    particle_system p(1600);
    emitter_state state = fresh_emitters();
    std::mt19937 rng;
    const std::array<double, 4> e0{1, 0, 0, 0};

    emit_opening(1.0, e0, p, state, rng);
    emit_opening(1.2, e0, p, state, rng);
    EXPECT_EQ(state.counters[0][2], 20);

    kill_all(p);
    emit_main(1.25, e0, p, state, rng);
    EXPECT_TRUE(live_slots(p, 0, 1600).empty()) << "the opening's burst at 1.2 holds the main routine back";

    emit_main(1.31, e0, p, state, rng);
    EXPECT_EQ(live_slots(p, 200, 300), range(200, 10)) << "the main routine starts its own count at 0";
    EXPECT_EQ(state.counters[1][2], 10);
    EXPECT_EQ(state.counters[0][2], 20);
    EXPECT_EQ(state.last_burst[2], 1.31);
}

TEST(emitters, main_routine_throws_single_lights_from_e2_and_e3) {
    particle_system p(1600);
    emitter_state state = fresh_emitters();
    std::mt19937 rng;
    emit_main(30.0, std::array<double, 4>{0, 0, 1, 0}, p, state, rng);
    EXPECT_EQ(live_slots(p, 0, 1600), range(0, 1));
    EXPECT_EQ(p.vertices[0].texture_index, 3.0f);
    EXPECT_EQ(p.fade_rates[0], 5.0);
    EXPECT_NEAR(p.brightness[0], 2.0, 0.1 + 1e-9);
    EXPECT_EQ(p.sizes[0], 1.0);

    // Interval 0.04: 30.03 is too early, 30.05 is not.
    emit_main(30.03, std::array<double, 4>{0, 0, 1, 1}, p, state, rng);
    EXPECT_EQ(live_slots(p, 0, 200), (std::vector<std::size_t>{0, 100}));
    emit_main(30.05, std::array<double, 4>{0, 0, 1, 0}, p, state, rng);
    EXPECT_EQ(live_slots(p, 0, 200), (std::vector<std::size_t>{0, 1, 100}));
}

TEST(emitters, e1_triggers_nothing_and_upper_slots_are_never_spawned) {
    particle_system p(1600);
    emitter_state state = fresh_emitters();
    std::mt19937 rng;
    for (int n = 1; n <= 600; ++n)
        emit_opening(n * frame, std::array<double, 4>{0, 7, 0, 0}, p, state, rng);
    EXPECT_TRUE(live_slots(p, 0, 1600).empty());
    EXPECT_TRUE(rng == std::mt19937{});

    // Every track sounding through both routines.
    const std::array<double, 4> all{1, 1, 1, 1};
    for (int n = 1; n <= 75 * 60; ++n) {
        const double t = n * frame;
        if (t < 26.6)
            emit_opening(t, all, p, state, rng);
        else
            emit_main(t, all, p, state, rng);
        p.update(frame);
        ASSERT_TRUE(live_slots(p, 800, 1600).empty()) << "at t = " << t;
    }
    EXPECT_GT(state.counters[0][0], 0);
    EXPECT_GT(state.counters[1][0], 0);
    EXPECT_GT(state.counters[1][1], 0);
}

} // namespace
