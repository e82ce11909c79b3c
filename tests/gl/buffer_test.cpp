#include "gl/buffer.hpp"
#include "gl/vertex_array.hpp"
#include "platform/gl_api.hpp"
#include "support/gl_context.hpp"
#include "support/xvfb.hpp"

#include <gtest/gtest.h>

#include <array>
#include <cstdint>

static auto* const xvfb = ::testing::AddGlobalTestEnvironment(new test_support::xvfb_environment);

namespace {

using words = std::array<std::uint32_t, 4>;

words contents(const gl::buffer& buffer) {
    words out{};
    glapi::glBindBuffer(GL_COPY_READ_BUFFER, buffer.id());
    glapi::glGetBufferSubData(GL_COPY_READ_BUFFER, 0, sizeof out, out.data());
    glapi::glBindBuffer(GL_COPY_READ_BUFFER, 0);
    return out;
}

GLint integer(GLenum pname) {
    GLint value = -1;
    glapi::glGetIntegerv(pname, &value);
    return value;
}

class Buffers : public ::testing::Test {
protected:
    test_support::gl_context context;
};

TEST_F(Buffers, TargetComesFromConstructorOrTargetedBind) {
    gl::buffer untargeted;
    EXPECT_NE(untargeted.id(), 0u);
    EXPECT_EQ(untargeted.target(), 0u);
    untargeted.bind(gl::buffer::copy_write);
    EXPECT_EQ(untargeted.target(), GLenum(GL_COPY_WRITE_BUFFER));
    EXPECT_EQ(static_cast<GLuint>(integer(GL_COPY_WRITE_BUFFER_BINDING)), untargeted.id());

    const gl::buffer vertices(gl::buffer::array);
    EXPECT_EQ(vertices.target(), GLenum(GL_ARRAY_BUFFER));
    vertices.bind();
    EXPECT_EQ(static_cast<GLuint>(integer(GL_ARRAY_BUFFER_BINDING)), vertices.id());
    glapi::glBindBuffer(GL_ARRAY_BUFFER, 0);
    glapi::glBindBuffer(GL_COPY_WRITE_BUFFER, 0);
    EXPECT_EQ(test_support::gl_error(), GL_NO_ERROR);
}

TEST_F(Buffers, DataAndSubdataWriteWhateverIsBoundToTheTarget) {
    gl::buffer first(gl::buffer::array);
    gl::buffer second(gl::buffer::array);
    const words initial{1, 2, 3, 4};
    first.bind();
    first.data(sizeof initial, initial.data(), gl::buffer::static_draw);
    second.bind();
    second.data(sizeof initial, nullptr, gl::buffer::stream_draw);
    second.subdata(0, sizeof initial, initial.data());

    const std::uint32_t patch = 99;
    first.subdata(2 * sizeof patch, sizeof patch, &patch); // second is the one bound
    EXPECT_EQ(contents(first), initial);
    EXPECT_EQ(contents(second), (words{1, 2, 99, 4}));
    glapi::glBindBuffer(GL_ARRAY_BUFFER, 0);
    EXPECT_EQ(test_support::gl_error(), GL_NO_ERROR);
}

TEST_F(Buffers, MovesKeepExactlyOneOwner) {
    gl::buffer target(gl::buffer::uniform);
    target.bind(); // a generated name becomes a buffer object once bound
    const GLuint old_id = target.id();
    gl::buffer source(gl::buffer::element_array);
    const GLuint source_id = source.id();

    target = std::move(source);
    EXPECT_EQ(target.id(), source_id);
    EXPECT_EQ(target.target(), GLenum(GL_ELEMENT_ARRAY_BUFFER));
    EXPECT_EQ(source.id(), 0u);
    EXPECT_EQ(glapi::glIsBuffer(old_id), GL_FALSE) << "assignment deleted the previous name";

    gl::buffer& alias = target;
    target = std::move(alias);
    EXPECT_EQ(target.id(), source_id);
    EXPECT_EQ(target.target(), GLenum(GL_ELEMENT_ARRAY_BUFFER));
    EXPECT_EQ(test_support::gl_error(), GL_NO_ERROR);
}

TEST_F(Buffers, VertexArrayRecordsAttributeLayout) {
    const gl::vertex_array layout;
    layout.bind();
    EXPECT_EQ(static_cast<GLuint>(integer(GL_VERTEX_ARRAY_BINDING)), layout.id());
    const gl::buffer vertices(gl::buffer::array);
    vertices.bind();
    vertices.data(64, nullptr, gl::buffer::static_draw);

    gl::vertex_array::attrib_pointer(2, 2, GL_FLOAT, false, 32, reinterpret_cast<const void*>(24));
    gl::vertex_array::attrib_pointer(3, 4, GL_UNSIGNED_BYTE, true, 8, nullptr);
    layout.enable_attrib(2);
    auto attrib = [](GLuint index, GLenum pname) {
        GLint value = -1;
        glapi::glGetVertexAttribiv(index, pname, &value);
        return value;
    };
    EXPECT_EQ(attrib(2, GL_VERTEX_ATTRIB_ARRAY_ENABLED), GL_TRUE);
    EXPECT_EQ(attrib(2, GL_VERTEX_ATTRIB_ARRAY_SIZE), 2);
    EXPECT_EQ(attrib(2, GL_VERTEX_ATTRIB_ARRAY_STRIDE), 32);
    EXPECT_EQ(attrib(2, GL_VERTEX_ATTRIB_ARRAY_NORMALIZED), GL_FALSE);
    EXPECT_EQ(attrib(3, GL_VERTEX_ATTRIB_ARRAY_NORMALIZED), GL_TRUE);
    EXPECT_EQ(static_cast<GLuint>(attrib(2, GL_VERTEX_ATTRIB_ARRAY_BUFFER_BINDING)), vertices.id());
    void* offset = nullptr;
    glapi::glGetVertexAttribPointerv(2, GL_VERTEX_ATTRIB_ARRAY_POINTER, &offset);
    EXPECT_EQ(reinterpret_cast<std::uintptr_t>(offset), 24u);
    layout.disable_attrib(2);
    EXPECT_EQ(attrib(2, GL_VERTEX_ATTRIB_ARRAY_ENABLED), GL_FALSE);
    glapi::glBindVertexArray(0);
    EXPECT_EQ(test_support::gl_error(), GL_NO_ERROR);
}

} // namespace
