#pragma once

#include "mesh.hpp"

namespace asset_gen {

// The courtyard the camera flies through: a paved floor inside four ashlar walls, arcades on the north
// and east and a colonnade on the west around a stepped altar carrying two lamp bowls, and two
// free-standing columns to the south.
mesh build_courtyard();

// The act's own model: the word "TEKSTI" in extruded block letters.
mesh build_emblem();

} // namespace asset_gen
