#pragma once
// A piece's emitters at work: the bursts of the section that holds t, started by the event tracks.

#include "acts/particle_system.hpp"
#include "piece/piece.hpp"

#include <cstddef>
#include <cstdint>
#include <random>
#include <span>
#include <vector>

// Bookkeeping that lives for the whole run. Each section's emitters roll their own slot counters, but
// emitters of one name share the time of their last burst across sections.
struct emitter_state {
    explicit emitter_state(const piece::piece_data& p);

    std::vector<double> last_burst;                  // per emitter name
    std::vector<std::vector<std::int64_t>> counters; // per section, per emitter
    // Per sprite, the texture index its particles carry: the reader's until the act, which knows the
    // particle program, sets the place of the sprite's sampler among those the program declares.
    std::vector<int> texture_indices;
};

// Runs section `section`'s emitters in order: an emitter whose track's value in e is not 0 and whose
// last burst is more than its interval before t spawns one burst of its preset at the first slot of its
// block + (counter mod block size), from its origin and along its direction at t. Track values missing
// from e count as 0.
void run_emitters(const piece::piece_data& p, std::size_t section, double t, std::span<const double> e,
                  particle_system& particles, emitter_state& state, std::mt19937& rng);
