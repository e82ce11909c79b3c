#include "acts/sprite_program.hpp"

#include "acts/sprite_vertex_shader.hpp"
#include "core/exceptions.hpp"
#include "logger/log_manager.hpp"

#include <fstream>
#include <sstream>

namespace {

std::string read_source(const char* path, logger::log_manager& log) {
    std::ifstream in(path);
    if (!in) {
        log.error(std::string("Unable to read shader source from '") + path + "'.");
        return {};
    }
    std::ostringstream content;
    content << in.rdbuf();
    return content.str();
}

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
    const std::string geometry = read_source(geometry_stage.path, log);
    std::string joined;
    bool joinable = true;
    try {
        joined = sprite_vertex_shader(read_source(vertex_stage.path, log), geometry);
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
    outcome.sources = {joined, geometry};
    program.attach(std::move(vertex));
    for (const shader_stage& stage : stages.subspan(2)) {
        shader_object shader = compile_shader_file(stage.kind, stage.path, log);
        if (shader.compile_status() != GL_TRUE) outcome.not_compiled.emplace_back(stage.path);
        outcome.sources.push_back(shader.source());
        program.attach(std::move(shader));
    }
    outcome.linked = program.link();
    log.info(announcement + (outcome.linked ? "Success." : "Fail."));
    log.info("Link log:\n" + program.info_log());
    program.detach_all();
    return outcome;
}
