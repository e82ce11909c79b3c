#pragma once

#include "shapes.hpp"

namespace asset_gen {

// The four atlas quadrants with the world size of one copy.
inline constexpr finish floor_paving{0, 4.0, 4.0};
inline constexpr finish wall_masonry{1, 4.0, 4.0};
// Fluted below b = marble_plain_from, plain polished marble above; used by turned parts only.
inline constexpr finish marble{2, 1.0, 1.0};
inline constexpr double marble_plain_from = 0.76;
inline constexpr finish limestone_blocks{3, 2.0, 2.0};

} // namespace asset_gen
