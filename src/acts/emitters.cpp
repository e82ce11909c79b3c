#include "acts/emitters.hpp"

#include "piece/scene_values.hpp"

emitter_state::emitter_state(const piece::piece_data& p)
    : last_burst(p.emitter_ids, 0.0) {
    counters.reserve(p.sections.size());
    for (const piece::section& s : p.sections)
        counters.emplace_back(s.emitters.size(), 0);
    texture_indices.reserve(p.sprites.size());
    for (const piece::sprite& s : p.sprites)
        texture_indices.push_back(s.texture_index);
}

namespace {

double event_value(std::span<const double> e, std::size_t k) {
    return k < e.size() ? e[k] : 0.0;
}

} // namespace

void run_emitters(const piece::piece_data& p, std::size_t section, double t, std::span<const double> e,
                  particle_system& particles, emitter_state& state, std::mt19937& rng) {
    const std::vector<piece::emitter>& emitters = p.sections[section].emitters;
    std::vector<std::int64_t>& counters = state.counters[section];
    const auto block_size = static_cast<std::int64_t>(p.block_size);
    for (std::size_t k = 0; k < emitters.size(); ++k) {
        const piece::emitter& em = emitters[k];
        double& last = state.last_burst[em.id];
        if (event_value(e, em.track) == 0.0 || !(t > last + em.interval)) continue;

        const piece::burst_preset& b = p.presets[em.preset];
        const std::size_t first =
            em.block * p.block_size + static_cast<std::size_t>(counters[k] % block_size);
        particles.spawn(first, first + b.count, piece::value_at(em.direction, t), piece::value_at(em.origin, t),
                        rng, b.speed, b.size, b.brightness, b.position_jitter, b.velocity_jitter, b.size_jitter,
                        b.brightness_jitter, state.texture_indices[em.sprite], b.fade,
                        static_cast<float>(b.gravity));
        counters[k] += static_cast<std::int64_t>(b.count);
        last = t;
    }
}
