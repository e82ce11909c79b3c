#pragma once
// One full-screen shader: a program made from a Shadertoy image shader or a gl-transitions file and a
// vertex shader drawing a single triangle over the whole target from gl_VertexID. Draws into whatever
// framebuffer is bound, over the viewport. Needs the GL context that created it to be current for its
// whole life.

#include "gl/program_object.hpp"
#include "gl/vertex_array.hpp"
#include "passes/black_texture.hpp"
#include "passes/shadertoy_source.hpp"

#include <GL/glcorearb.h>
#include <glm/vec3.hpp>
#include <glm/vec4.hpp>

#include <array>
#include <memory>
#include <span>
#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

namespace passes {

// What a Shadertoy image shader reads besides the extras. A channel of 0 reads the black texture (and its
// resolution reads 1x1x1).
struct shadertoy_inputs {
    glm::vec3 resolution{0.0f};
    float time = 0.0f;
    float time_delta = 0.0f;
    int frame = 0;
    float frame_rate = 0.0f;
    std::array<GLuint, 4> channels{};
    std::array<glm::vec3, 4> channel_resolution{};
    glm::vec4 mouse{0.0f};
    glm::vec4 date{0.0f};
    float sample_rate = 0.0f;
};

// What a transition reads besides the extras and its defaults. A picture of 0 reads the black texture.
struct transition_inputs {
    GLuint from = 0;
    GLuint to = 0;
    float progress = 0.0f;
    float ratio = 1.0f;
};

// A shader that does not compile or link; what() is the driver's log naming the user's file and lines
// (user_log).
class build_error : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

class fullscreen_pass {
public:
    // Composes the fragment shader (shadertoy_fragment or transition_fragment), compiles and links it,
    // and looks every uniform up once. An extra is fed only where the program has a uniform of its name
    // and size (float, vec2, vec3, vec4) and the name is not the engine's. A transition's defaults
    // (transition_defaults) are set here, once; the program is left in use. Throws build_error naming
    // `file` when the program does not compile or link, what the composers throw, and invalid_argument
    // without a black texture.
    fullscreen_pass(pass_kind kind, std::string_view user_source, const std::string& file,
                    std::span<const named_uniform> extras, std::shared_ptr<const black_texture> black);

    fullscreen_pass(fullscreen_pass&&) noexcept = default;
    fullscreen_pass& operator=(fullscreen_pass&&) noexcept = default;

    // One draw of the program. `extra_values` holds one value per extra given at construction, in that
    // order (a float reads .x, a vec3 .xyz); throws invalid_argument for another count, and when the pass
    // is of the other kind. Depth test and blending are off for the draw and put back after it; texture
    // units 0-3 are left holding the channels and unit 0 active.
    void draw(const shadertoy_inputs& inputs, std::span<const glm::vec4> extra_values) const;
    void draw(const transition_inputs& inputs, std::span<const glm::vec4> extra_values) const;

    pass_kind kind() const noexcept { return pass; }
    GLuint program_id() const noexcept { return program.id(); }
    // The compile and link messages of a program that built (warnings), in the user's file's terms.
    const std::string& warnings() const noexcept { return build_log; }

private:
    struct extra_slot {
        GLint location;
        int components;
    };
    // Shadertoy's uniforms, or a transition's progress and ratio; -1 for what the program does not use.
    struct locations {
        GLint resolution = -1, time = -1, time_delta = -1, frame = -1, frame_rate = -1, channel_time = -1,
              channel_resolution = -1, mouse = -1, date = -1, sample_rate = -1, progress = -1, ratio = -1;
    };

    void draw_common(std::span<const GLuint> textures, std::span<const glm::vec4> extra_values) const;

    pass_kind pass;
    program_object program;
    gl::vertex_array empty;
    std::shared_ptr<const black_texture> black;
    locations at;
    std::vector<extra_slot> extras;
    std::string build_log;
};

} // namespace passes
