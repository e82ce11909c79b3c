#pragma once

#include "mesh.hpp"

#include <vector>

namespace asset_gen {

// A surface finish: one quadrant of the texture atlas and the world size that one copy of it covers.
// The engine clamps texture coordinates, so surfaces are cut at every copy's border instead of wrapping.
struct finish {
    int region;    // 0..3: top-left, top-right, bottom-left, bottom-right quadrant
    double cell_u; // world units per copy along the surface's tangent
    double cell_v; // and along its bitangent
};

// Texture coordinate of the point (a, b) of a quadrant, a to the right, b up, both in [0, 1]; kept half a
// texel inside the quadrant so filtering never reads a neighbour.
glm::dvec2 atlas_uv(int region, double a, double b);

// The rectangle origin + s t + r b (s in [0, len_t], r in [0, len_b]) facing t x b. The texture follows
// world coordinates (dot(p, t), dot(p, b)), so neighbouring faces with the same axes continue it;
// pieces are at most `step` long.
void plane(mesh& m, const finish& f, glm::dvec3 origin, glm::dvec3 t, double len_t, glm::dvec3 b, double len_b,
           double step);

enum face : unsigned {
    pos_x = 1u,
    neg_x = 2u,
    pos_y = 4u,
    neg_y = 8u,
    pos_z = 16u,
    neg_z = 32u,
    all_faces = 63u,
};

// Axis-aligned box from lo to hi with the faces named in `faces`.
void box(mesh& m, const finish& f, glm::dvec3 lo, glm::dvec3 hi, unsigned faces, double step);

struct profile_point {
    double r;
    double y;
};

// One smooth run of a turned profile, bottom to top. Texture: a around the axis (one copy per turn),
// b = v_offset + distance along the profile times v_scale.
struct lathe_run {
    std::vector<profile_point> points;
    finish surface;
    double v_scale;
    double v_offset = 0.0;
};

// Turns the runs about the vertical axis through `centre`; runs meet at creases.
void lathe(mesh& m, glm::dvec3 centre, const std::vector<lathe_run>& runs, int segments);

// A wall panel pierced by a semicircular arch. The panel lies along the horizontal unit vector `along`
// from s0 to s1 (measured from `base`), between heights y0 (springing line) and y1, `depth` thick and
// centred on base. The arch has radius r about s = c. Texture copies are `tex_width` wide starting at
// s = tex_origin. Top, bottom and end faces are left to whatever covers them.
struct arch_panel {
    glm::dvec3 base;
    glm::dvec3 along;
    double s0, s1, c, r, y0, y1, depth;
    double tex_origin, tex_width;
};
void arch(mesh& m, const finish& f, const arch_panel& a, int segments);

} // namespace asset_gen
