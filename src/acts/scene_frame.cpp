#include "acts/scene_frame.hpp"

#include "acts/camera_path.hpp"

scene_state advance_scene(double t, double previous_time, sound_state& tracks, camera& cam,
                          particle_system& particles, emitter_state& emitters, std::mt19937& rng) {
    scene_state state = scene_values(t);
    const std::vector<double> e = tracks.at(t);

    switch (section_at(t)) {
    case scene_section::opening:
        emit_opening(t, e, particles, emitters, rng);
        break;
    case scene_section::main:
        emit_main(t, e, particles, emitters, rng);
        take_particle_lights(state, particles);
        break;
    case scene_section::closing:
        break;
    }

    if (const auto pose = camera_pose_at(t)) {
        cam.set_position(pose->position);
        cam.set_tilt(pose->tilt);
        cam.set_pan(pose->pan);
    }
    cam.set_distance(0.0f);

    particles.update(t - previous_time);
    particles.build_vertices();
    return state;
}
