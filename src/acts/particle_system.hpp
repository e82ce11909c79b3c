#pragma once

#include "acts/particle_vertex.hpp"
#include "gl/texture_2d.hpp"

#include <glm/vec3.hpp>

#include <cstddef>
#include <optional>
#include <random>
#include <vector>

// Lowest live particle of a block of slots.
struct live_particle {
    std::size_t slot;
    glm::vec3 position;
    double brightness;
};

// Fixed pool of point particles kept as parallel arrays, one entry per slot, with the GPU records in
// their own contiguous array so that one upload feeds the draw. Creates no GL names: `textures` starts
// empty and is filled by whoever owns a context, so a pool works without one.
class particle_system {
public:
    // The stock block of slots; a piece may choose its own.
    static constexpr std::size_t block_size = 100;
    static constexpr float dead_texture_index = 15.0f;
    static constexpr float parked = 100.0f; // coordinate of every dead slot
    static constexpr float default_gravity = 3.0f; // units/s^2, pulling towards -y

    // n dead slots at the parked position, everything else zero.
    explicit particle_system(std::size_t n);

    // Releases the textures from the last to the first (a vector would go first to last), then the
    // arrays.
    ~particle_system();
    particle_system(particle_system&&) noexcept = default;
    particle_system& operator=(particle_system&&) noexcept = default;

    std::size_t size() const noexcept { return positions.size(); }

    // Every slot back to the state of construction; the textures stay.
    void clear();

    // Brings slots [first, end) to life, overwriting whatever they held; end is clamped to the pool.
    // Takes nine draws per slot, in slot order: size, brightness, position z, y, x, velocity jitter z,
    // y, x, speed. The slots keep `gravity` (units/s^2 towards -y) until they are spawned again.
    void spawn(std::size_t first, std::size_t end, const glm::vec3& direction, const glm::vec3& origin,
               std::mt19937& rng, double speed, double base_size, double base_brightness,
               double position_jitter, double velocity_jitter, double size_jitter, double brightness_jitter,
               int texture_index, double fade_rate, float gravity = default_gravity);

    // Moves, pulls down by each slot's gravity and fades every slot, live or dead. The fade depends on |dt|, so a backwards
    // step ages particles too.
    void update(double dt);

    // Writes the GPU record of every slot; dead slots get the parked, invisible record. Also lists the
    // runs of consecutive live slots, so that a draw can skip the dead ones and keep the slots' order.
    void build_vertices();

    // The lowest live slot in [start, start + length), or none.
    std::optional<live_particle> first_alive_in_block(std::size_t start, std::size_t length = block_size) const;

    std::vector<glm::vec3> positions;
    std::vector<glm::vec3> velocities;
    std::vector<bool> alive;
    std::vector<double> brightness;
    std::vector<double> sizes;
    std::vector<particle_vertex> vertices;
    std::vector<double> fade_rates;
    std::vector<float> gravities;
    // The runs of live slots of the last build_vertices: [live_run_firsts[k], + live_run_counts[k]).
    std::vector<int> live_run_firsts;
    std::vector<int> live_run_counts;
    std::vector<gl::texture_2d> textures;
};
