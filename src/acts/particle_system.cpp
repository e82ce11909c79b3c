#include "acts/particle_system.hpp"

#include "acts/random_spread.hpp"

#include <algorithm>
#include <cmath>

particle_system::particle_system(std::size_t n)
    : positions(n, glm::vec3(parked))
    , velocities(n, glm::vec3(0.0f))
    , alive(n, false)
    , brightness(n, 0.0)
    , sizes(n, 0.0)
    , vertices(n, particle_vertex{glm::vec3(0.0f), 0.0f, 0.0f, 0.0f})
    , fade_rates(n, 0.0)
    , gravities(n, default_gravity) {}

particle_system::~particle_system() {
    while (!textures.empty())
        textures.pop_back();
}

void particle_system::clear() {
    std::fill(positions.begin(), positions.end(), glm::vec3(parked));
    std::fill(velocities.begin(), velocities.end(), glm::vec3(0.0f));
    std::fill(alive.begin(), alive.end(), false);
    std::fill(brightness.begin(), brightness.end(), 0.0);
    std::fill(sizes.begin(), sizes.end(), 0.0);
    std::fill(vertices.begin(), vertices.end(), particle_vertex{glm::vec3(0.0f), 0.0f, 0.0f, 0.0f});
    std::fill(fade_rates.begin(), fade_rates.end(), 0.0);
    std::fill(gravities.begin(), gravities.end(), default_gravity);
    live_run_firsts.clear();
    live_run_counts.clear();
}

void particle_system::spawn(std::size_t first, std::size_t end, const glm::vec3& direction,
                            const glm::vec3& origin, std::mt19937& rng, double speed, double base_size,
                            double base_brightness, double position_jitter, double velocity_jitter,
                            double size_jitter, double brightness_jitter, int texture_index,
                            double fade_rate, float gravity) {
    end = std::min(end, size());

    // A zero direction leaves only the jitter instead of spraying NaN.
    const float length =
        std::sqrt(direction.x * direction.x + direction.y * direction.y + direction.z * direction.z);
    const glm::vec3 d = length > 0.0f ? direction / length : glm::vec3(0.0f);

    // Positions and velocities are single precision throughout, so the jitter scales are too.
    const float position_scale = static_cast<float>(position_jitter);
    const float velocity_scale = static_cast<float>(velocity_jitter);

    for (std::size_t i = first; i < end; ++i) {
        sizes[i] = base_size + size_jitter * draw(rng, unit_spread);
        alive[i] = true;
        brightness[i] = base_brightness + brightness_jitter * draw(rng, unit_spread);

        const float offset_z = draw(rng, unit_spread);
        const float offset_y = draw(rng, unit_spread);
        const float offset_x = draw(rng, unit_spread);
        positions[i] = origin + position_scale * glm::vec3(offset_x, offset_y, offset_z);

        const float jitter_z = velocity_scale * draw(rng, unit_spread);
        const float jitter_y = velocity_scale * draw(rng, unit_spread);
        const float jitter_x = velocity_scale * draw(rng, unit_spread);
        const auto s = static_cast<float>(speed * draw(rng, speed_spread));
        velocities[i] = d * s + glm::vec3(jitter_x, jitter_y, jitter_z);

        vertices[i].texture_index = static_cast<float>(texture_index);
        fade_rates[i] = fade_rate;
        gravities[i] = gravity;
    }
}

void particle_system::update(double dt) {
    const auto step = static_cast<float>(dt);
    // Length of the step vector (0.3 dt, 0.3 dt, 0.3 dt): the fade grows with |dt| in either direction.
    const float fade_step = 0.3f * step;
    const double fade_length = std::sqrt(3.0f * (fade_step * fade_step));

    for (std::size_t i = 0; i < size(); ++i) {
        positions[i] += velocities[i] * step;
        velocities[i].y -= gravities[i] * step;
        brightness[i] -= fade_rates[i] * fade_length;
        alive[i] = brightness[i] > 0.0;
    }
}

void particle_system::build_vertices() {
    live_run_firsts.clear();
    live_run_counts.clear();
    for (std::size_t i = 0; i < size(); ++i) {
        particle_vertex& v = vertices[i];
        if (alive[i]) {
            if (i > 0 && alive[i - 1]) {
                ++live_run_counts.back();
            } else {
                live_run_firsts.push_back(static_cast<int>(i));
                live_run_counts.push_back(1);
            }
            v.position = positions[i];
            v.brightness = static_cast<float>(brightness[i]);
            v.particle_size = static_cast<float>(sizes[i]);
        } else {
            v = particle_vertex{glm::vec3(parked), dead_texture_index, 0.0f, 0.0f};
        }
    }
}

std::optional<live_particle> particle_system::first_alive_in_block(std::size_t start, std::size_t length) const {
    if (start >= size()) return std::nullopt;
    const std::size_t end = start + std::min(length, size() - start);
    for (std::size_t i = start; i < end; ++i) {
        if (alive[i]) return live_particle{i, positions[i], brightness[i]};
    }
    return std::nullopt;
}
