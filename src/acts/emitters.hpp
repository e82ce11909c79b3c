#pragma once
// The production's particle emitters: fixed tables of bursts started by the music's event tracks.

#include "acts/particle_system.hpp"

#include <glm/vec3.hpp>

#include <array>
#include <cstddef>
#include <cstdint>
#include <random>
#include <span>

struct burst_parameters {
    std::size_t count;
    double speed;
    double size;
    double brightness;
    double position_jitter;
    double velocity_jitter;
    double size_jitter;
    double brightness_jitter;
    double fade_rate;
};

// Ten colourful sprites thrown out fast.
inline constexpr burst_parameters spray_burst{10, 4.0, 0.25, 1.0, 0.05, 2.0, 0.1, 0.2, 1.0};
// One big bright sprite that serves as a moving light.
inline constexpr burst_parameters light_burst{1, 3.0, 1.0, 2.0, 0.05, 0.1, 0.0, 0.1, 5.0};

struct emitter {
    std::size_t block; // first slot of the emitter's 100 slots
    int event;         // index of the event track that triggers it
    double interval;   // least time between two bursts, seconds
    glm::vec3 origin;
    glm::vec3 direction;
    int texture;
    burst_parameters burst;
};

inline constexpr std::size_t emitter_count = 8;

const std::array<emitter, emitter_count>& opening_emitters();
const std::array<emitter, emitter_count>& main_emitters();

// Bookkeeping that lives for the whole run. The two routines roll their own slot counters but share the
// time of each emitter number's last burst.
struct emitter_state {
    std::array<double, 16> last_burst{};
    std::array<std::int64_t, emitter_count> opening_counters{};
    std::array<std::int64_t, emitter_count> main_counters{};
};

// Each runs its emitters in order 0 to 7: an emitter whose event value in e is not 0 and whose last
// burst is more than its interval before t spawns one burst at block + (counter mod 100). Event values
// missing from e count as 0.
void emit_opening(double t, std::span<const double> e, particle_system& particles, emitter_state& state,
                  std::mt19937& rng);
void emit_main(double t, std::span<const double> e, particle_system& particles, emitter_state& state,
               std::mt19937& rng);
