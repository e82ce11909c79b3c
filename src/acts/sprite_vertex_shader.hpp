#pragma once
// Particle sprites where there are no geometry shaders (WebGL 2): a piece's particle vertex and geometry
// shaders are joined into one vertex shader for instanced quads. Each instance is one particle record;
// its four vertices run the piece's vertex main, then its geometry main up to the corner's EmitVertex,
// so every corner gets exactly the outputs the geometry stage would have emitted for it.

#include <string>
#include <string_view>

// The joined vertex shader. The vertex shader's output block becomes a struct that the geometry part
// reads (`particle[0].size` reads `particle.size`), its gl_Position the geometry part's gl_in[0]'s; the
// geometry shader's uniforms that the vertex shader declares too are declared once. Compile logs give
// the lines of each file (the geometry shader's as source 1 where the compiler reports source numbers). Throws runtime_error when
// the geometry shader does not take points to a strip of at most 4 vertices, or calls EmitVertex outside
// its main.
std::string sprite_vertex_shader(std::string_view vertex_source, std::string_view geometry_source);
