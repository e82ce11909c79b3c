#pragma once
// The built-in piece's two sections and its evaluation at t, under the names its tests use.

#include "acts/emitters.hpp"
#include "acts/scene_frame.hpp"
#include "piece/builtin_piece.hpp"
#include "piece/camera_rows.hpp"
#include "piece/scene_values.hpp"

#include <optional>
#include <random>
#include <span>

namespace courtyard {

inline const piece::piece_data& piece() {
    static const piece::piece_data p = piece::builtin_piece();
    return p;
}

inline constexpr std::size_t emitter_count = 8;

enum class scene_section { opening, main, closing };

inline scene_section section_at(double t) {
    const piece::section* s = piece::section_at(piece(), t);
    if (s == nullptr) return scene_section::closing;
    return s == &piece().sections[0] ? scene_section::opening : scene_section::main;
}

inline scene_state scene_values(double t) { return piece::scene_values(piece(), t); }
inline float ambient_at(double t) { return scene_values(t).ambient.x; }
inline float desaturate_at(double t) { return scene_values(t).desaturate; }
inline float fade_at(double t) { return scene_values(t).fade; }
inline std::optional<camera_pose> camera_pose_at(double t) { return piece::camera_pose_at(piece(), t); }

// The main section's rule: light 1 from block 0, light 2 from block 1.
inline void take_particle_lights(scene_state& s, const particle_system& p) {
    ::take_particle_lights(s, p, piece().sections[1], piece().block_size);
}

inline emitter_state fresh_emitters() { return emitter_state(piece()); }

inline void emit_opening(double t, std::span<const double> e, particle_system& p, emitter_state& s, std::mt19937& rng) {
    run_emitters(piece(), 0, t, e, p, s, rng);
}
inline void emit_main(double t, std::span<const double> e, particle_system& p, emitter_state& s, std::mt19937& rng) {
    run_emitters(piece(), 1, t, e, p, s, rng);
}

inline scene_state advance_scene(double t, double previous, sound_state& tracks, camera& cam, particle_system& p,
                                 emitter_state& emitters, std::mt19937& rng) {
    return ::advance_scene(piece(), t, previous, tracks, cam, p, emitters, rng);
}

} // namespace courtyard
