#include "acts/sprite_program.hpp"

#include "acts/sprite_vertex_shader.hpp"
#include "core/exceptions.hpp"
#include "logger/log_manager.hpp"

namespace {

#if defined(__EMSCRIPTEN__)
bool geometry_sprites = false;
#else
bool geometry_sprites = true;
#endif

} // namespace

bool sprites_by_geometry_shader() {
    return geometry_sprites;
}

void draw_sprites_as_quads(bool quads) {
#if defined(__EMSCRIPTEN__)
    static_cast<void>(quads); // the browser has only quads
#else
    geometry_sprites = !quads;
#endif
}

program_build build_sprite_program(program_object& program, std::span<const shader_stage> stages,
                                   const std::string& announcement, logger::log_manager& log) {
    program_build outcome;
    const shader_stage& vertex_stage = stages[0];
    const shader_stage& geometry_stage = stages[1];
    const std::string vertex_text = read_shader_source(vertex_stage.path, log);
    const std::string geometry = read_shader_source(geometry_stage.path, log);
    std::string joined;
    bool joinable = true;
    try {
        joined = sprite_vertex_shader(vertex_text, geometry);
    } catch (const runtime_error& e) {
        log.error(e.what());
        joinable = false;
    }
    shader_object vertex(shader_object::vertex, joined, joinable);
    const bool compiled = joinable && vertex.compile_status() == GL_TRUE;
    log.info(std::string("Compiling vertex shader from '") + vertex_stage.path + "' with geometry shader '" +
             geometry_stage.path + "' as instanced quads... " + (compiled ? "Success." : "Fail."));
    log.info("Compile log:\n" + vertex.info_log());
    // The log's source 0 is the vertex file, 1 the geometry file.
    if (!compiled && joinable) outcome.not_compiled.emplace_back(vertex_stage.path);
    if (!compiled) outcome.not_compiled.emplace_back(geometry_stage.path);
    outcome.vertex_source = joined;
    outcome.sources = {vertex_text, geometry}; // as written: the samplers are counted in them
    program.attach(std::move(vertex));
    attach_stages(program, stages.subspan(2), outcome, log);
    link_stages(program, outcome, announcement, log);
    return outcome;
}
