#pragma once

#include "mesh.hpp"

namespace asset_gen {

// Height of a column from the floor to the top of its abacus.
constexpr double column_height = 3.2;
// Half the side of the square plinth and abacus.
constexpr double column_half_width = 0.32;

// A column standing on the floor at (x, z): square plinth, torus base, fluted shaft with a slight taper,
// echinus and square abacus.
void column(mesh& m, double x, double z);

// A ball finial resting on top of a column at (x, z).
void finial(mesh& m, double x, double z);

// A lamp stand on a surface at height `floor_y`: turned foot, slender stem and an open bowl whose rim is
// at `rim_y`.
void lamp_stand(mesh& m, double x, double floor_y, double z, double rim_y);

} // namespace asset_gen
