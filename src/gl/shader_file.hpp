#pragma once

#include "gl/shader_object.hpp"

#include <string>

namespace logger {
class log_manager;
}

// "Compiling <kind word> shader from '<path>'... Success." (or "Fail."); the word is empty for a value that
// is no shader kind.
std::string compile_message(const GLenum& kind, const std::string& path, bool success);

// Reads the file (an unreadable file is logged as an error and reads as an empty source), compiles it as
// the given kind, logs the outcome and the compile log with info, and returns the shader whether or not
// it compiled.
shader_object compile_shader_file(const GLenum& kind, const std::string& path, logger::log_manager& log);
