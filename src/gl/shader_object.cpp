#include "gl/shader_object.hpp"

#include "gl/api_error.hpp"
#include "gl/glsl_dialect.hpp"
#include "gl/info_log.hpp"
#include "platform/gl_api.hpp"

#include <utility>

shader_object::shader_object(const GLenum& kind)
    : name(glapi::glCreateShader(kind)) {
    if (name.get() == 0) throw gl::api_error("shader_object::shader_object(): Shader creation failed.");
}

// Should anything below throw, the already constructed name member deletes the GL shader.
shader_object::shader_object(const GLenum& kind, std::string source_text, bool compile_now)
    : shader_object(kind) {
    source(std::move(source_text));
    if (compile_now) compile();
}

shader_object::shader_object(shader_object&& other) noexcept
    : name(std::move(other.name))
    , status(std::exchange(other.status, 0))
    , log_text(std::exchange(other.log_text, {}))
    , source_text(std::exchange(other.source_text, {})) {}

shader_object& shader_object::operator=(shader_object&& other) noexcept {
    if (this != &other) {
        name = std::move(other.name);
        status = std::exchange(other.status, 0);
        log_text = std::exchange(other.log_text, {});
        source_text = std::exchange(other.source_text, {});
    }
    return *this;
}

void shader_object::source(std::string text) {
    // The text as written is kept (callers recognise the stock shaders by it); the driver gets its dialect.
    source_text = std::move(text);
    const std::string given = glsl::for_dialect(source_text, glsl::target);
    const GLchar* chars = given.c_str();
    glapi::glShaderSource(name.get(), 1, &chars, nullptr);
}

bool shader_object::compile() {
    glapi::glCompileShader(name.get());
    glapi::glGetShaderiv(name.get(), GL_COMPILE_STATUS, &status);
    log_text = gl::read_info_log(name.get(), glapi::glGetShaderiv, glapi::glGetShaderInfoLog);
    return status == GL_TRUE;
}
