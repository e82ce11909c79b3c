#pragma once
// The CPU half of one frame of the production, with no GL: what the two passes then draw.

#include "acts/emitters.hpp"
#include "acts/particle_system.hpp"
#include "acts/scene_timeline.hpp"
#include "player/camera.hpp"
#include "sound/sound_state.hpp"

#include <random>

// In order: the timeline values at t; the event tracks at t; the section's emitter routine; the middle
// section's lights from the particles as the emitters left them; the camera row, if one holds t, then
// distance 0; the particle step over t - previous_time and the GPU records. Allocates nothing but the
// event tracks' result.
scene_state advance_scene(double t, double previous_time, sound_state& tracks, camera& cam,
                          particle_system& particles, emitter_state& emitters, std::mt19937& rng);
