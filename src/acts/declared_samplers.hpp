#pragma once
// Which sampler a particle's texture index selects: the particle shaders switch on the index over their
// sampler2D uniforms in the order they declare them, so a sprite's index follows its sampler's name.

#include <span>
#include <string>
#include <vector>

// The sampler2D uniforms the sources declare, in order (a name declared in several stages counts once,
// at its first place). Comments are skipped; a declaration may list several names.
std::vector<std::string> declared_samplers(std::span<const std::string> sources);

namespace piece {
struct piece_data;
}

// The texture index of each of the piece's sprites under a particle program made from `sources`: the
// place of its sampler among the ones they declare (-1 for a sprite without a sampler). Throws
// piece::piece_error at the first sprite whose sampler they do not declare, with the sprite's place.
std::vector<int> sprite_texture_indices(const piece::piece_data& p, std::span<const std::string> sources);
