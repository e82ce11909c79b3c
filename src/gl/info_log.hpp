#pragma once

#include <GL/glcorearb.h>

#include <string>

namespace gl {

// The info log of a shader or program as the driver reports it (glGetShaderiv/glGetShaderInfoLog or
// glGetProgramiv/glGetProgramInfoLog), or "<empty>" when the driver has nothing to say.
std::string read_info_log(GLuint id, PFNGLGETSHADERIVPROC get_iv, PFNGLGETSHADERINFOLOGPROC get_log);

} // namespace gl
