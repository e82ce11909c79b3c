#include "acts/pass_program.hpp"

#include "core/exceptions.hpp"
#include "logger/log_manager.hpp"

#include <filesystem>
#include <fstream>
#include <iterator>

namespace {

constexpr const char* crossfade_source = "vec4 transition(vec2 uv) {\n"
                                         "    return mix(getFromColor(uv), getToColor(uv), progress);\n"
                                         "}\n";
// What a crossfade's messages name.
const piece::named_file crossfade_file{"crossfade", 1, 1};
// Shader files are read whole; a larger one is no shader.
constexpr std::uintmax_t max_shader_bytes = std::uintmax_t{1} << 20;

// Where the piece names the file; nothing for a shader played on its own, which names itself.
std::string where(const piece::piece_data& p, const piece::named_file& f) {
    if (f.file == p.file) return "";
    return p.file + ":" + std::to_string(f.line) + ":" + std::to_string(f.column) + ": ";
}

// The file's text, or why it cannot be read.
std::optional<std::string> read_text(const std::string& path, std::string& why) {
    std::error_code error;
    const auto size = std::filesystem::file_size(path, error);
    if (error) {
        why = error.message();
        return std::nullopt;
    }
    if (size > max_shader_bytes) {
        why = "is larger than " + std::to_string(max_shader_bytes) + " bytes";
        return std::nullopt;
    }
    std::ifstream in(path, std::ios::binary);
    std::string text((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    if (in.bad()) {
        why = "cannot be read";
        return std::nullopt;
    }
    return text;
}

} // namespace

pass_program::pass_program(const piece::named_file* named, passes::pass_kind made_as, const char* source)
    : file(named)
    , kind(made_as)
    , builtin(source) {}

pass_program pass_program::crossfade() {
    return {&crossfade_file, passes::pass_kind::transition, crossfade_source};
}

void pass_program::build(const piece::piece_data& piece, std::span<const passes::named_uniform> extras,
                         const std::shared_ptr<const passes::black_texture>& black, logger::log_manager& log,
                         bool at_start) {
    const auto fail = [&](const std::string& message, const std::string& first) {
        if (at_start) throw runtime_error(message);
        log.error(message);
        failed = true;
        first_error = first;
    };
    std::string source;
    if (builtin != nullptr) {
        source = builtin;
    } else {
        std::string why;
        std::optional<std::string> text = read_text(file->file, why);
        if (!text) {
            const std::string message = where(piece, *file) + "the shader '" + file->file + "' " + why;
            return fail(message, message);
        }
        source = std::move(*text);
    }
    try {
        built.emplace(kind, source, file->file, extras, black);
        failed = false;
        if (!built->warnings().empty()) log.warning(built->warnings());
    } catch (const std::exception& e) {
        const std::string driver_log = e.what();
        fail(where(piece, *file) + "the shader '" + file->file + "' does not build:\n" + driver_log,
             driver_log.substr(0, driver_log.find('\n')));
    }
}

bool pass_program::made_from(const std::string& saved) const {
    return builtin == nullptr &&
           std::filesystem::path(saved).lexically_normal() == std::filesystem::path(file->file).lexically_normal();
}
