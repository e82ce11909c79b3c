#pragma once

#include <filesystem>

namespace asset_gen {

// The model's one material uses a texture atlas of four square quadrants (finishes), each tiling
// seamlessly with itself: 0 floor slabs, 1 wall ashlar, 2 fluted marble, 3 dressed limestone.
constexpr int atlas_size = 1024;
constexpr int region_size = atlas_size / 2;
// The finishes are drawn in units of a 1024-pixel quadrant and sampled down to region_size, so the
// pattern looks the same at any atlas size. 1024 keeps the three maps with their mipmaps small enough
// for software renderers (memory and texture-fetch time).
constexpr double design_region = 1024.0;

// Writes the diffuse, specular and normal maps of the atlas; all three come from one height field per
// quadrant. The normal map is tangent-space with +x to the image's right and +y to its top.
void write_atlas(const std::filesystem::path& diffuse, const std::filesystem::path& specular,
                 const std::filesystem::path& normal);

} // namespace asset_gen
