#include "gl/program_object.hpp"

#include "core/exceptions.hpp"
#include "gl/api_error.hpp"
#include "gl/info_log.hpp"
#include "platform/gl_api.hpp"

#include <algorithm>
#include <utility>

program_object::program_object()
    : name(glapi::glCreateProgram()) {
    if (name.get() == 0) throw gl::api_error("program_object::program_object(): Program creation failed.");
}

program_object::~program_object() {
    if (name.get() != 0) detach_all();
}

program_object::program_object(program_object&& other) noexcept
    : name(std::move(other.name))
    , status(std::exchange(other.status, 0))
    , log_text(std::exchange(other.log_text, {}))
    , attached(std::exchange(other.attached, {})) {}

program_object& program_object::operator=(program_object&& other) noexcept {
    if (this != &other) {
        if (name.get() != 0) detach_all();
        name = std::move(other.name);
        status = std::exchange(other.status, 0);
        log_text = std::exchange(other.log_text, {});
        attached = std::exchange(other.attached, {});
    }
    return *this;
}

GLuint program_object::attach(shader_object&& shader) {
    const GLuint shader_id = shader.id();
    attached.insert_or_assign(shader_id, std::move(shader));
    glapi::glAttachShader(name.get(), shader_id);
    return shader_id;
}

shader_object program_object::detach(GLuint shader_id) {
    auto entry = attached.find(shader_id);
    if (entry == attached.end()) {
        throw invalid_argument("program_object::detach(): Program has no shader with id '" +
                               std::to_string(shader_id) + "'.");
    }
    glapi::glDetachShader(name.get(), shader_id);
    shader_object shader = std::move(entry->second);
    attached.erase(entry);
    return shader;
}

void program_object::detach_all() {
    while (!attached.empty()) {
        auto first = attached.begin();
        glapi::glDetachShader(name.get(), first->first);
        attached.erase(first);
    }
}

bool program_object::link() {
    glapi::glLinkProgram(name.get());
    glapi::glGetProgramiv(name.get(), GL_LINK_STATUS, &status);
    log_text = gl::read_info_log(name.get(), glapi::glGetProgramiv, glapi::glGetProgramInfoLog);
    return status == GL_TRUE;
}

GLint program_object::attrib_location(const char* attribute) const {
    return glapi::glGetAttribLocation(name.get(), attribute);
}

GLint program_object::uniform_location(const char* uniform) const {
    return glapi::glGetUniformLocation(name.get(), uniform);
}

std::vector<program_object::uniform_info> program_object::active_uniforms() const {
    std::vector<uniform_info> found;
    if (status != GL_TRUE) return found;
    GLint count = 0;
    GLint longest = 0;
    glapi::glGetProgramiv(name.get(), GL_ACTIVE_UNIFORMS, &count);
    glapi::glGetProgramiv(name.get(), GL_ACTIVE_UNIFORM_MAX_LENGTH, &longest);
    std::string text(static_cast<std::size_t>(std::max(longest, 1)), '\0');
    for (GLint i = 0; i < count; ++i) {
        GLsizei length = 0;
        GLint size = 0;
        GLenum type = 0;
        glapi::glGetActiveUniform(name.get(), static_cast<GLuint>(i), static_cast<GLsizei>(text.size()), &length,
                                  &size, &type, text.data());
        std::string uniform = text.substr(0, static_cast<std::size_t>(std::max(length, 0)));
        if (uniform.ends_with("[0]")) uniform.resize(uniform.size() - 3);
        found.push_back({std::move(uniform), type});
    }
    return found;
}

void program_object::use() const {
    glapi::glUseProgram(name.get());
}
