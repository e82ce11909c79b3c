#pragma once
// Shaders are written once, for desktop GLSL 3.30 core; the browser's WebGL 2 takes GLSL ES 3.00. The
// version line is what differs, and ES wants default precisions.

#include <string>

namespace glsl {

enum class dialect { desktop_330, es_300 };

#if defined(__EMSCRIPTEN__)
inline constexpr dialect target = dialect::es_300;
#else
inline constexpr dialect target = dialect::desktop_330;
#endif

// `source` for `to`: unchanged for the desktop. For ES, a first line "#version 330 core" (or "#version
// 330") becomes "#version 300 es" with high default precisions for floats, ints and the samplers, and the
// lines after it keep their numbers in compile logs. Any other text is left as it is.
std::string for_dialect(std::string source, dialect to);

} // namespace glsl
