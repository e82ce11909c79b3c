#pragma once

#include <filesystem>

namespace asset_gen {

// The particle sprites: star.png, kukka1-3.png (flowers), valo, valo2, valo3.png (light glows),
// taplat, taplat2.png (spots): 128 x 128 RGBA whose alpha falls to 0 before the border.
void write_sprites(const std::filesystem::path& dir);

// koala.jpg: a 256 x 256 picture of a koala on a branch, 3 channels.
void write_koala(const std::filesystem::path& file);

} // namespace asset_gen
