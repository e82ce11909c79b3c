#pragma once
// The music as Shadertoy's shaders read it: a 512x2 single-channel texture, row 0 the spectrum and row 1
// the waveform, each texel 0 to 1 in .x (.yz read 0 and .w 1, as an R8 texture reads everywhere). Filled
// from music::music_spectrum's bytes every frame.

#include "gl/gl_name.hpp"

#include <GL/glcorearb.h>

#include <cstdint>
#include <span>

namespace passes {

class music_texture {
public:
    static constexpr int width = 512;
    static constexpr int height = 2;

    // Starts all zero. Leaves the texture binding of the active unit as it found it.
    music_texture();

    // Row 0 from bytes[0..511], row 1 from bytes[512..1023]. Leaves the texture binding and the unpack
    // alignment as it found them.
    void upload(std::span<const std::uint8_t, width * height> bytes) const;

    GLuint id() const noexcept { return name.get(); }

private:
    gl::texture_name name;
};

} // namespace passes
