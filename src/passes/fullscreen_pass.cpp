#include "passes/fullscreen_pass.hpp"

#include "core/exceptions.hpp"
#include "platform/gl_api.hpp"

#include <algorithm>
#include <unordered_map>
#include <utility>

namespace passes {

namespace {

// One triangle over the whole target, (-1,-1) (3,-1) (-1,3), with uv running 0 to 1 across the target.
constexpr const char* vertex_source = R"(#version 330 core
out vec2 engine_uv;
void main() {
    vec2 corner = vec2(float((gl_VertexID & 1) << 2), float((gl_VertexID & 2) << 1));
    engine_uv = corner * 0.5;
    gl_Position = vec4(corner - 1.0, 0.0, 1.0);
}
)";

constexpr GLenum float_types[4] = {GL_FLOAT, GL_FLOAT_VEC2, GL_FLOAT_VEC3, GL_FLOAT_VEC4};
constexpr GLenum int_types[4] = {GL_INT, GL_INT_VEC2, GL_INT_VEC3, GL_INT_VEC4};

// A full-screen draw replaces every pixel: no depth test, no blending; both as they were afterwards.
class replacing_draw {
public:
    replacing_draw()
        : depth(glapi::glIsEnabled(GL_DEPTH_TEST) == GL_TRUE)
        , blend(glapi::glIsEnabled(GL_BLEND) == GL_TRUE) {
        if (depth) glapi::glDisable(GL_DEPTH_TEST);
        if (blend) glapi::glDisable(GL_BLEND);
    }
    ~replacing_draw() {
        if (depth) glapi::glEnable(GL_DEPTH_TEST);
        if (blend) glapi::glEnable(GL_BLEND);
    }
    replacing_draw(const replacing_draw&) = delete;
    replacing_draw& operator=(const replacing_draw&) = delete;

private:
    bool depth;
    bool blend;
};

void set_default(GLint location, const uniform_default& d) {
    const auto f = [&](std::size_t i) { return static_cast<GLfloat>(d.value[i]); };
    const auto n = [&](std::size_t i) { return static_cast<GLint>(d.value[i]); };
    if (d.kind == uniform_default::scalar::floating) {
        switch (d.components) {
        case 1:
            glapi::glUniform1f(location, f(0));
            break;
        case 2:
            glapi::glUniform2f(location, f(0), f(1));
            break;
        case 3:
            glapi::glUniform3f(location, f(0), f(1), f(2));
            break;
        default:
            glapi::glUniform4f(location, f(0), f(1), f(2), f(3));
            break;
        }
        return;
    }
    switch (d.components) {
    case 1:
        glapi::glUniform1i(location, n(0));
        break;
    case 2:
        glapi::glUniform2i(location, n(0), n(1));
        break;
    case 3:
        glapi::glUniform3i(location, n(0), n(1), n(2));
        break;
    default:
        glapi::glUniform4i(location, n(0), n(1), n(2), n(3));
        break;
    }
}

GLenum default_type(const uniform_default& d) {
    const auto i = static_cast<std::size_t>(std::clamp(d.components, 1, 4) - 1);
    switch (d.kind) {
    case uniform_default::scalar::floating:
        return float_types[i];
    case uniform_default::scalar::integer:
        return int_types[i];
    case uniform_default::scalar::boolean:
        break;
    }
    return GL_BOOL;
}

shader_object compiled(GLenum kind, std::string source, const std::string& file, std::string& log) {
    shader_object shader(kind, std::move(source), true);
    std::string messages = user_log(shader.info_log(), file);
    if (shader.compile_status() != GL_TRUE) {
        throw build_error(messages.empty() ? file + ": error: the shader does not compile\n" : messages);
    }
    log += messages;
    return shader;
}

} // namespace

fullscreen_pass::fullscreen_pass(pass_kind kind, std::string_view user_source, const std::string& file,
                                 std::span<const named_uniform> extra_uniforms,
                                 std::shared_ptr<const black_texture> black_picture)
    : pass(kind)
    , black(std::move(black_picture)) {
    if (!black) throw invalid_argument("passes::fullscreen_pass::fullscreen_pass(): No black texture given.");
    const bool shadertoy = kind == pass_kind::shadertoy;
    std::string fragment = shadertoy ? shadertoy_fragment(user_source, extra_uniforms)
                                     : transition_fragment(user_source, extra_uniforms);
    std::string log;
    program.attach(
        compiled(shader_object::vertex, vertex_source, "the engine's full-screen vertex shader", log));
    program.attach(compiled(shader_object::fragment, std::move(fragment), file, log));
    const bool linked = program.link();
    program.detach_all();
    const std::string link_messages = user_log(program.info_log(), file);
    if (!linked) {
        throw build_error(link_messages.empty() ? file + ": error: the program does not link\n"
                                                : link_messages);
    }
    build_log = log + link_messages;

    program.use();
    const auto location = [&](const char* name) { return program.uniform_location(name); };
    if (shadertoy) {
        at.resolution = location("iResolution");
        at.time = location("iTime");
        at.time_delta = location("iTimeDelta");
        at.frame = location("iFrame");
        at.frame_rate = location("iFrameRate");
        at.channel_time = location("iChannelTime");
        at.channel_resolution = location("iChannelResolution");
        at.mouse = location("iMouse");
        at.date = location("iDate");
        at.sample_rate = location("iSampleRate");
        for (GLint unit = 0; unit < 4; ++unit) {
            const std::string sampler = "iChannel" + std::to_string(unit);
            glapi::glUniform1i(location(sampler.c_str()), unit);
        }
    } else {
        at.progress = location("progress");
        at.ratio = location("ratio");
        glapi::glUniform1i(location(transition_from_sampler), 0);
        glapi::glUniform1i(location(transition_to_sampler), 1);
    }

    std::unordered_map<std::string, GLenum> types;
    for (program_object::uniform_info& u : program.active_uniforms())
        types.emplace(std::move(u.name), u.type);
    const auto has = [&](const std::string& name, GLenum type) {
        const auto found = types.find(name);
        return found != types.end() && found->second == type;
    };
    for (const named_uniform& extra : extra_uniforms) {
        const bool fed = !engine_name(kind, extra.name) &&
                         has(extra.name, float_types[static_cast<std::size_t>(extra.components - 1)]);
        extras.push_back({fed ? location(extra.name.c_str()) : -1, extra.components});
    }
    if (!shadertoy) {
        for (const uniform_default& d : transition_defaults(user_source)) {
            if (!engine_name(kind, d.name) && has(d.name, default_type(d)))
                set_default(location(d.name.c_str()), d);
        }
    }
}

void fullscreen_pass::draw(const shadertoy_inputs& in, std::span<const glm::vec4> extra_values) const {
    if (pass != pass_kind::shadertoy) {
        throw invalid_argument("passes::fullscreen_pass::draw(): A transition draws from transition_inputs.");
    }
    program.use();
    glapi::glUniform3fv(at.resolution, 1, &in.resolution.x);
    glapi::glUniform1f(at.time, in.time);
    glapi::glUniform1f(at.time_delta, in.time_delta);
    glapi::glUniform1i(at.frame, in.frame);
    glapi::glUniform1f(at.frame_rate, in.frame_rate);
    const GLfloat channel_time[4] = {in.time, in.time, in.time, in.time};
    glapi::glUniform1fv(at.channel_time, 4, channel_time);
    std::array<GLuint, 4> textures{};
    GLfloat sizes[12];
    for (std::size_t i = 0; i < 4; ++i) {
        const bool unused = in.channels[i] == 0;
        textures[i] = unused ? black->id() : in.channels[i];
        const glm::vec3 size = unused ? glm::vec3(1.0f) : in.channel_resolution[i];
        std::copy(&size.x, &size.x + 3, sizes + 3 * i);
    }
    glapi::glUniform3fv(at.channel_resolution, 4, sizes);
    glapi::glUniform4fv(at.mouse, 1, &in.mouse.x);
    glapi::glUniform4fv(at.date, 1, &in.date.x);
    glapi::glUniform1f(at.sample_rate, in.sample_rate);
    draw_common(textures, extra_values);
}

void fullscreen_pass::draw(const transition_inputs& in, std::span<const glm::vec4> extra_values) const {
    if (pass != pass_kind::transition) {
        throw invalid_argument(
            "passes::fullscreen_pass::draw(): A Shadertoy pass draws from shadertoy_inputs.");
    }
    program.use();
    glapi::glUniform1f(at.progress, in.progress);
    glapi::glUniform1f(at.ratio, in.ratio);
    const std::array<GLuint, 2> textures{in.from == 0 ? black->id() : in.from,
                                         in.to == 0 ? black->id() : in.to};
    draw_common(textures, extra_values);
}

void fullscreen_pass::draw_common(std::span<const GLuint> textures,
                                  std::span<const glm::vec4> extra_values) const {
    if (extra_values.size() != extras.size()) {
        throw invalid_argument("passes::fullscreen_pass::draw(): " + std::to_string(extra_values.size()) +
                               " values for " + std::to_string(extras.size()) + " extra uniforms.");
    }
    for (std::size_t i = 0; i < extras.size(); ++i) {
        const GLfloat* v = &extra_values[i].x;
        switch (extras[i].components) {
        case 1:
            glapi::glUniform1fv(extras[i].location, 1, v);
            break;
        case 2:
            glapi::glUniform2fv(extras[i].location, 1, v);
            break;
        case 3:
            glapi::glUniform3fv(extras[i].location, 1, v);
            break;
        default:
            glapi::glUniform4fv(extras[i].location, 1, v);
            break;
        }
    }
    for (std::size_t unit = 0; unit < textures.size(); ++unit) {
        glapi::glActiveTexture(GL_TEXTURE0 + static_cast<GLenum>(unit));
        glapi::glBindTexture(GL_TEXTURE_2D, textures[unit]);
    }
    glapi::glActiveTexture(GL_TEXTURE0);
    const replacing_draw replacing;
    empty.bind();
    glapi::glDrawArrays(GL_TRIANGLES, 0, 3);
    glapi::glBindVertexArray(0);
}

} // namespace passes
