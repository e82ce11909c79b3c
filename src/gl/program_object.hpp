#pragma once

#include "gl/gl_name.hpp"
#include "gl/shader_object.hpp"

#include <GL/glcorearb.h>

#include <map>
#include <string>
#include <vector>

// Owner of one GL program, the shaders attached to it and the outcome of its last link.
class program_object {
public:
    // Creates the GL program; throws gl::api_error when the driver gives none.
    program_object();
    // Detaches and deletes the attached shaders, then deletes the program.
    ~program_object();

    program_object(program_object&& other) noexcept;
    program_object& operator=(program_object&& other) noexcept;

    // Takes ownership of the shader, attaches it and returns its name.
    GLuint attach(shader_object&& shader);
    // Detaches the shader of that name and hands it back undeleted; throws invalid_argument when the
    // program has no such shader.
    shader_object detach(GLuint shader_id);
    // Detaches and deletes every attached shader, in ascending name order.
    void detach_all();

    // Links, records status and log; true when the driver linked the program.
    bool link();
    GLint attrib_location(const char* attribute) const;
    GLint uniform_location(const char* uniform) const;
    // The uniforms the linked program uses, with their GL types; an array's name without its "[0]". The
    // compiler drops a declared uniform that nothing reads.
    struct uniform_info {
        std::string name;
        GLenum type;
    };
    std::vector<uniform_info> active_uniforms() const;
    void use() const;

    GLuint id() const noexcept { return name.get(); }
    GLint link_status() const noexcept { return status; }
    const std::string& info_log() const noexcept { return log_text; }
    const std::map<GLuint, shader_object>& shaders() const noexcept { return attached; }

private:
    gl::program_name name;
    GLint status = 0;
    std::string log_text;
    std::map<GLuint, shader_object> attached;
};
