#pragma once
// Sole owner of one OpenGL object name. Each object kind instantiates it with its own delete function;
// the name 0 means "nothing owned" and is never handed to that function, so a moved-from owner makes no
// GL call when it is destroyed.

#include <GL/glcorearb.h>

#include <utility>

namespace gl {

template <void (*delete_name)(GLuint) noexcept> class unique_name {
public:
    unique_name() noexcept = default;
    explicit unique_name(GLuint name) noexcept
        : value(name) {}
    ~unique_name() { reset(); }

    unique_name(const unique_name&) = delete;
    unique_name& operator=(const unique_name&) = delete;

    unique_name(unique_name&& other) noexcept
        : value(std::exchange(other.value, 0u)) {}

    unique_name& operator=(unique_name&& other) noexcept {
        if (this != &other) {
            reset();
            value = std::exchange(other.value, 0u);
        }
        return *this;
    }

    GLuint get() const noexcept { return value; }

    // Deletes the owned name, if any; the owner is empty afterwards.
    void reset() noexcept {
        if (value != 0) delete_name(std::exchange(value, 0u));
    }

private:
    GLuint value = 0;
};

namespace name_deleters {
void texture(GLuint name) noexcept;
void buffer(GLuint name) noexcept;
void vertex_array(GLuint name) noexcept;
void shader(GLuint name) noexcept;
void program(GLuint name) noexcept;
void framebuffer(GLuint name) noexcept;
void renderbuffer(GLuint name) noexcept;
} // namespace name_deleters

using texture_name = unique_name<name_deleters::texture>;
using buffer_name = unique_name<name_deleters::buffer>;
using vertex_array_name = unique_name<name_deleters::vertex_array>;
using shader_name = unique_name<name_deleters::shader>;
using program_name = unique_name<name_deleters::program>;
using framebuffer_name = unique_name<name_deleters::framebuffer>;
using renderbuffer_name = unique_name<name_deleters::renderbuffer>;

} // namespace gl
