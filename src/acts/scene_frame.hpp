#pragma once
// The CPU half of one frame of a piece, with no GL: what the two passes then draw.

#include "acts/emitters.hpp"
#include "acts/particle_system.hpp"
#include "piece/piece.hpp"
#include "piece/scene_values.hpp"
#include "player/camera.hpp"
#include "sound/sound_state.hpp"

#include <random>

// Light k is the lowest live particle of the section's block for it, with the particle's brightness
// times the light's colour as intensity; a block without one puts its light far away with intensity 0. Lights the section does not
// name keep the curves' values.
void take_particle_lights(scene_state& state, const particle_system& particles, const piece::section& section,
                          std::size_t block_size);

// In order: the curves at t; the event tracks at t; the emitters of the section holding t and its lights
// from the particles as the emitters left them; the camera row, if one holds t, then distance 0; the
// particle step over t - previous_time and the GPU records.
scene_state advance_scene(const piece::piece_data& p, double t, double previous_time, sound_state& tracks,
                          camera& cam, particle_system& particles, emitter_state& emitters, std::mt19937& rng);
