#include "demo_live/track_strip.hpp"

#include "core/exceptions.hpp"
#include "gl/shader_object.hpp"
#include "platform/gl_api.hpp"

#include <cstddef>
#include <utility>

namespace live {
namespace {

constexpr const char* vertex_source = R"(#version 330 core
layout(location = 0) in vec2 corner;
layout(location = 1) in vec4 colour;
uniform vec2 window_size;
out vec4 tint;
void main() {
    gl_Position = vec4(corner.x / window_size.x * 2.0 - 1.0, 1.0 - corner.y / window_size.y * 2.0, 0.0, 1.0);
    tint = colour;
}
)";

constexpr const char* fragment_source = R"(#version 330 core
in vec4 tint;
out vec4 fragment_colour;
void main() {
    fragment_colour = tint;
}
)";

} // namespace

track_strip::track_strip() {
    shader_object vertex(shader_object::vertex, vertex_source, true);
    shader_object fragment(shader_object::fragment, fragment_source, true);
    if (vertex.compile_status() != GL_TRUE || fragment.compile_status() != GL_TRUE)
        throw runtime_error("track_strip: " + vertex.info_log() + fragment.info_log());
    program.attach(std::move(vertex));
    program.attach(std::move(fragment));
    const bool linked = program.link();
    program.detach_all();
    if (!linked) throw runtime_error("track_strip: " + program.info_log());
    vertices.bind();
    buffer.bind();
    constexpr auto stride = static_cast<GLsizei>(sizeof(strip_vertex));
    gl::vertex_array::attrib_pointer(0, 2, GL_FLOAT, false, stride,
                                     reinterpret_cast<const void*>(offsetof(strip_vertex, x)));
    gl::vertex_array::enable_attrib(0);
    gl::vertex_array::attrib_pointer(1, 4, GL_FLOAT, false, stride,
                                     reinterpret_cast<const void*>(offsetof(strip_vertex, r)));
    gl::vertex_array::enable_attrib(1);
}

void track_strip::draw(const piece::piece_data& p, const strip_view& v) {
    triangles = strip_triangles(p, v);
    glapi::glBindFramebuffer(GL_FRAMEBUFFER, 0);
    glapi::glViewport(0, 0, v.width, v.height);
    glapi::glDisable(GL_DEPTH_TEST);
    glapi::glEnable(GL_BLEND);
    glapi::glBlendFunc(GL_SRC_ALPHA, GL_ONE_MINUS_SRC_ALPHA);
    program.use();
    glapi::glUniform2f(program.uniform_location("window_size"), static_cast<float>(v.width),
                       static_cast<float>(v.height));
    vertices.bind();
    buffer.bind();
    buffer.data(static_cast<GLsizeiptr>(triangles.size() * sizeof(strip_vertex)), triangles.data(),
                gl::buffer::stream_draw);
    glapi::glDrawArrays(GL_TRIANGLES, 0, static_cast<GLsizei>(triangles.size()));
    glapi::glDisable(GL_BLEND);
    glapi::glEnable(GL_DEPTH_TEST);
}

} // namespace live
