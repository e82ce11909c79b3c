#pragma once

#include "gl/gl_name.hpp"

#include <GL/glcorearb.h>

namespace gl {

// Owner of one GL buffer and the binding target it is used with. data and subdata act on whatever buffer
// is bound to that target, so callers bind first.
class buffer {
public:
    // Binding targets.
    static constexpr GLenum array = GL_ARRAY_BUFFER;
    static constexpr GLenum atomic_counter = GL_ATOMIC_COUNTER_BUFFER;
    static constexpr GLenum copy_read = GL_COPY_READ_BUFFER;
    static constexpr GLenum copy_write = GL_COPY_WRITE_BUFFER;
    static constexpr GLenum draw_indirect = GL_DRAW_INDIRECT_BUFFER;
    static constexpr GLenum dispatch_indirect = GL_DISPATCH_INDIRECT_BUFFER;
    static constexpr GLenum element_array = GL_ELEMENT_ARRAY_BUFFER;
    static constexpr GLenum pixel_pack = GL_PIXEL_PACK_BUFFER;
    static constexpr GLenum pixel_unpack = GL_PIXEL_UNPACK_BUFFER;
    static constexpr GLenum query = GL_QUERY_BUFFER;
    static constexpr GLenum shader_storage = GL_SHADER_STORAGE_BUFFER;
    static constexpr GLenum texture = GL_TEXTURE_BUFFER;
    static constexpr GLenum transform_feedback = GL_TRANSFORM_FEEDBACK_BUFFER;
    static constexpr GLenum uniform = GL_UNIFORM_BUFFER;

    // Usage hints.
    static constexpr GLenum stream_draw = GL_STREAM_DRAW;
    static constexpr GLenum stream_read = GL_STREAM_READ;
    static constexpr GLenum stream_copy = GL_STREAM_COPY;
    static constexpr GLenum static_draw = GL_STATIC_DRAW;
    static constexpr GLenum static_read = GL_STATIC_READ;
    static constexpr GLenum static_copy = GL_STATIC_COPY;
    static constexpr GLenum dynamic_draw = GL_DYNAMIC_DRAW;
    static constexpr GLenum dynamic_read = GL_DYNAMIC_READ;
    static constexpr GLenum dynamic_copy = GL_DYNAMIC_COPY;

    // Generates a buffer name; the target may be given later through bind(target).
    explicit buffer(GLenum target = 0);

    buffer(buffer&&) noexcept = default;
    buffer& operator=(buffer&&) noexcept = default;

    GLuint id() const noexcept { return name.get(); }
    GLenum target() const noexcept { return bound_target; }

    void bind() const;
    // Makes new_target this buffer's target, then binds.
    void bind(GLenum new_target);
    // Allocates size bytes, filled from contents when it is not null.
    void data(GLsizeiptr size, const void* contents, GLenum usage) const;
    void subdata(GLintptr offset, GLsizeiptr size, const void* contents) const;

private:
    buffer_name name;
    GLenum bound_target = 0;
};

} // namespace gl
