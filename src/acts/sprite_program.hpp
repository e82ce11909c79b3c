#pragma once
// The particle program where the context has no geometry shaders (WebGL 2): the piece's vertex and
// geometry shaders joined into one vertex shader (sprite_vertex_shader) for instanced quads, and the
// fragment shader as it is.

#include "gl/shader_file.hpp"

#include <span>
#include <string>

namespace logger {
class log_manager;
}

// Whether particle sprites are drawn by a geometry shader (the desktop's way) or as instanced quads (the
// browser's; demo_capture --sprites quads shows it natively). Chosen before a piece's act is made.
bool sprites_by_geometry_shader();
void draw_sprites_as_quads(bool quads);

// As build_program for the stages vertex, geometry, fragment; the vertex stage is logged as
// "Compiling vertex shader from 'V' with geometry shader 'G' as instanced quads... Success." A geometry
// shader that cannot be joined is logged as an error and leaves the vertex stage uncompiled. The
// build's sources are the three files' texts, its vertex source the joined text.
program_build build_sprite_program(program_object& program, std::span<const shader_stage> stages,
                                   const std::string& announcement, logger::log_manager& log);
