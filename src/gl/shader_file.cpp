#include "gl/shader_file.hpp"

#include "logger/log_manager.hpp"

#include <fstream>
#include <optional>
#include <sstream>

namespace {

// The word for a kind in log lines; empty for a value that is no shader kind.
const char* kind_word(GLenum kind) {
    switch (kind) {
    case shader_object::vertex:
        return "vertex";
    case shader_object::fragment:
        return "fragment";
    case shader_object::geometry:
        return "geometry";
    case shader_object::tess_control:
        return "tessellation control";
    case shader_object::tess_evaluation:
        return "tessellation evaluation";
    case shader_object::compute:
        return "compute";
    default:
        return "";
    }
}

// The file's text; nothing when it cannot be opened.
std::optional<std::string> read_text_file(const std::string& path) {
    std::ifstream in(path);
    if (!in) return std::nullopt;
    std::ostringstream content;
    content << in.rdbuf();
    return content.str();
}

} // namespace

std::string compile_message(const GLenum& kind, const std::string& path, bool success) {
    return std::string("Compiling ") + kind_word(kind) + " shader from '" + path + "'... " +
           (success ? "Success." : "Fail.");
}

std::string read_shader_source(const std::string& path, logger::log_manager& log) {
    const std::optional<std::string> source = read_text_file(path);
    // The compiler would only report an empty source; say which file is missing.
    if (!source) log.error("Unable to read shader source from '" + path + "'.");
    return source.value_or(std::string());
}

shader_object compile_shader_file(const GLenum& kind, const std::string& path, logger::log_manager& log) {
    shader_object shader(kind, read_shader_source(path, log), true);
    log.info(compile_message(kind, path, shader.compile_status() == 1));
    log.info("Compile log:\n" + shader.info_log());
    return shader;
}

void attach_stages(program_object& program, std::span<const shader_stage> stages, program_build& outcome,
                   logger::log_manager& log) {
    for (const shader_stage& stage : stages) {
        shader_object shader = compile_shader_file(stage.kind, stage.path, log);
        if (shader.compile_status() != GL_TRUE) outcome.not_compiled.emplace_back(stage.path);
        if (stage.kind == shader_object::vertex) outcome.vertex_source = shader.source();
        outcome.sources.push_back(shader.source());
        program.attach(std::move(shader));
    }
}

void link_stages(program_object& program, program_build& outcome, const std::string& announcement,
                 logger::log_manager& log) {
    outcome.linked = program.link();
    log.info(announcement + (outcome.linked ? "Success." : "Fail."));
    log.info("Link log:\n" + program.info_log());
    program.detach_all();
}

program_build build_program(program_object& program, std::span<const shader_stage> stages,
                            const std::string& announcement, logger::log_manager& log) {
    program_build outcome;
    attach_stages(program, stages, outcome, log);
    link_stages(program, outcome, announcement, log);
    return outcome;
}
