#include "acts/emitters.hpp"

namespace {

const std::array<emitter, emitter_count> opening_table{{
    {0, 3, 0.05, {0.9f, 3.0f, 2.2f}, {0.4f, 0.0f, -1.0f}, 1, spray_burst},
    {100, 2, 0.1, {4.0f, 2.85f, 2.41f}, {-0.4f, 0.0f, -1.0f}, 0, spray_burst},
    {200, 0, 0.1, {2.93f, 1.96f, 2.43f}, {0.4f, 0.4f, -0.5f}, 1, spray_burst},
    {300, 0, 0.1, {2.37f, 2.1f, 2.32f}, {0.0f, 0.4f, -0.5f}, 2, spray_burst},
    {400, 0, 0.1, {1.78f, 2.05f, 2.34f}, {-0.4f, 0.4f, -0.5f}, 6, spray_burst},
    {500, 0, 0.1, {3.01f, 2.39f, 2.6f}, {0.4f, 0.8f, -0.3f}, 7, spray_burst},
    {600, 0, 0.1, {3.08f, 2.68f, 2.85f}, {0.2f, 1.2f, 0.1f}, 5, spray_burst},
    {700, 0, 0.1, {1.93f, 2.78f, 2.77f}, {0.1f, 1.2f, -0.3f}, 4, spray_burst},
}};

// Emitters 2 to 7 are the opening's; 0 and 1 throw the two lights instead of sprays.
std::array<emitter, emitter_count> make_main_table() {
    std::array<emitter, emitter_count> table = opening_table;
    table[0] = {0, 2, 0.04, {0.9f, 3.0f, 2.2f}, {0.4f, 0.0f, -1.0f}, 3, light_burst};
    table[1] = {100, 3, 0.04, {4.0f, 2.85f, 2.41f}, {-0.4f, 0.0f, -1.0f}, 3, light_burst};
    return table;
}

const std::array<emitter, emitter_count> main_table = make_main_table();

double event_value(std::span<const double> e, int k) {
    const auto i = static_cast<std::size_t>(k);
    return i < e.size() ? e[i] : 0.0;
}

void run(const std::array<emitter, emitter_count>& table, std::array<std::int64_t, emitter_count>& counters,
         double t, std::span<const double> e, particle_system& particles, emitter_state& state,
         std::mt19937& rng) {
    for (std::size_t k = 0; k < emitter_count; ++k) {
        const emitter& em = table[k];
        if (event_value(e, em.event) == 0.0 || !(t > state.last_burst[k] + em.interval)) continue;

        const burst_parameters& b = em.burst;
        const std::size_t first =
            em.block +
            static_cast<std::size_t>(counters[k] % static_cast<std::int64_t>(particle_system::block_size));
        particles.spawn(first, first + b.count, em.direction, em.origin, rng, b.speed, b.size, b.brightness,
                        b.position_jitter, b.velocity_jitter, b.size_jitter, b.brightness_jitter, em.texture,
                        b.fade_rate);
        counters[k] += static_cast<std::int64_t>(b.count);
        state.last_burst[k] = t;
    }
}

} // namespace

const std::array<emitter, emitter_count>& opening_emitters() {
    return opening_table;
}

const std::array<emitter, emitter_count>& main_emitters() {
    return main_table;
}

void emit_opening(double t, std::span<const double> e, particle_system& particles, emitter_state& state,
                  std::mt19937& rng) {
    run(opening_table, state.opening_counters, t, e, particles, state, rng);
}

void emit_main(double t, std::span<const double> e, particle_system& particles, emitter_state& state,
               std::mt19937& rng) {
    run(main_table, state.main_counters, t, e, particles, state, rng);
}
