#pragma once

#include "gl/gl_name.hpp"

#include <GL/glcorearb.h>

#include <string>

// Owner of one GL shader together with its source and the outcome of its last compile.
class shader_object {
public:
    // Shader kinds, with storage so that they can be passed by reference.
    static constexpr GLenum vertex = GL_VERTEX_SHADER;
    static constexpr GLenum fragment = GL_FRAGMENT_SHADER;
    static constexpr GLenum geometry = GL_GEOMETRY_SHADER;
    static constexpr GLenum tess_control = GL_TESS_CONTROL_SHADER;
    static constexpr GLenum tess_evaluation = GL_TESS_EVALUATION_SHADER;
    static constexpr GLenum compute = GL_COMPUTE_SHADER;

    // Creates the GL shader; throws gl::api_error when the driver gives none.
    explicit shader_object(const GLenum& kind);
    // Creates the shader, hands it the source and compiles it when compile_now is set.
    shader_object(const GLenum& kind, std::string source_text, bool compile_now);

    shader_object(shader_object&& other) noexcept;
    shader_object& operator=(shader_object&& other) noexcept;

    // Replaces the source and hands it to GL; does not compile.
    void source(std::string text);
    // Compiles, records status and log; true when the driver accepted the source.
    bool compile();

    GLuint id() const noexcept { return name.get(); }
    GLint compile_status() const noexcept { return status; }
    const std::string& info_log() const noexcept { return log_text; }
    const std::string& source() const noexcept { return source_text; }

private:
    gl::shader_name name;
    GLint status = 0;
    std::string log_text;
    std::string source_text;
};
