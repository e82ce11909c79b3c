#pragma once
// The picture of a channel that names nothing: one opaque black texel. One is made per context and
// shared by every pass.

#include "gl/gl_name.hpp"

#include <GL/glcorearb.h>

namespace passes {

class black_texture {
public:
    // Leaves the texture binding of the active unit as it found it.
    black_texture();

    GLuint id() const noexcept { return name.get(); }

private:
    gl::texture_name name;
};

} // namespace passes
