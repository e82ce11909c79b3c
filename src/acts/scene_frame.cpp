#include "acts/scene_frame.hpp"

#include "piece/camera_rows.hpp"

void take_particle_lights(scene_state& state, const particle_system& particles, const piece::section& section,
                          std::size_t block_size) {
    for (std::size_t k = 0; k < state.light_positions.size(); ++k) {
        if (!section.light_blocks[k]) continue;
        const auto p = particles.first_alive_in_block(*section.light_blocks[k] * block_size, block_size);
        if (p) {
            state.light_positions[k] = p->position;
            const std::array<double, 3>& color = section.light_colors[k];
            state.light_intensities[k] = glm::vec3(static_cast<float>(p->brightness * color[0]),
                                                   static_cast<float>(p->brightness * color[1]),
                                                   static_cast<float>(p->brightness * color[2]));
        } else {
            state.light_positions[k] = glm::vec3(far_light_coordinate);
            state.light_intensities[k] = glm::vec3(0.0f);
        }
    }
}

scene_state advance_scene(const piece::piece_data& p, double t, double previous_time, sound_state& tracks,
                          camera& cam, particle_system& particles, emitter_state& emitters, std::mt19937& rng) {
    scene_state state = piece::scene_values(p, t);
    const std::vector<double> e = tracks.at(t);

    if (const piece::section* s = piece::section_at(p, t)) {
        run_emitters(p, static_cast<std::size_t>(s - p.sections.data()), t, e, particles, emitters, rng);
        take_particle_lights(state, particles, *s, p.block_size);
    }

    if (const auto pose = piece::camera_pose_at(p, t)) {
        cam.set_position(pose->position);
        cam.set_tilt(pose->tilt);
        cam.set_pan(pose->pan);
    }
    cam.set_distance(0.0f);

    particles.update(t - previous_time);
    particles.build_vertices();
    return state;
}
