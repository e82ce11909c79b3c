#pragma once

#include <glm/vec3.hpp>

#include <functional>

namespace asset_gen {

struct surface_sample {
    double height; // 0 at the bottom of a joint, about 1 on a block's face
    glm::dvec3 colour;
    double gloss; // specular strength 0..1
};

// Samples a seamless finish at pixel (x, y) of a square of `size` pixels, y from the top.
using surface = std::function<surface_sample(double x, double y)>;

surface floor_slabs(double size);
surface wall_ashlar(double size);
surface fluted_marble(double size);
surface dressed_limestone(double size);

} // namespace asset_gen
