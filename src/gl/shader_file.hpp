#pragma once

#include "gl/program_object.hpp"
#include "gl/shader_object.hpp"

#include <span>
#include <string>
#include <vector>

namespace logger {
class log_manager;
}

// "Compiling <kind word> shader from '<path>'... Success." (or "Fail."); the word is empty for a value that
// is no shader kind.
std::string compile_message(const GLenum& kind, const std::string& path, bool success);

// The file's text; an unreadable file is logged as an error and reads as empty.
std::string read_shader_source(const std::string& path, logger::log_manager& log);

// Reads the file (an unreadable file is logged as an error and reads as an empty source), compiles it as
// the given kind, logs the outcome and the compile log with info, and returns the shader whether or not
// it compiled.
shader_object compile_shader_file(const GLenum& kind, const std::string& path, logger::log_manager& log);

// One shader of a program: its kind and the file it is compiled from.
struct shader_stage {
    GLenum kind;
    const char* path;
};

// What build_program made: the files that did not compile; none and `linked` is a program ready for use.
struct program_build {
    std::vector<std::string> not_compiled;
    bool linked = false;
    std::string vertex_source; // the text the vertex stage was compiled from
    std::vector<std::string> sources; // the text of every stage, in the stages' order
};

// The two halves of build_program: compiling and attaching the stages (noted in `outcome`), then linking
// with the records and detaching.
void attach_stages(program_object& program, std::span<const shader_stage> stages, program_build& outcome,
                   logger::log_manager& log);
void link_stages(program_object& program, program_build& outcome, const std::string& announcement,
                 logger::log_manager& log);

// Compiles every stage from its file with compile_shader_file and attaches it, links, logs with info
// "<announcement>Success." (or "Fail.") and "Link log:\n" with the program's log, then detaches and
// deletes the shaders.
program_build build_program(program_object& program, std::span<const shader_stage> stages,
                            const std::string& announcement, logger::log_manager& log);
