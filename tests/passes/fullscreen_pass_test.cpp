#include "core/exceptions.hpp"
#include "passes/fullscreen_pass.hpp"
#include "passes/pass_readback.hpp"
#include "passes/render_target.hpp"
#include "platform/gl_api.hpp"
#include "support/gl_context.hpp"
#include "support/xvfb.hpp"

#include <gtest/gtest.h>

#include <array>
#include <cmath>
#include <memory>
#include <string>
#include <vector>

static auto* const xvfb = ::testing::AddGlobalTestEnvironment(new test_support::xvfb_environment);

namespace {

using passes::fullscreen_pass;
using passes::named_uniform;
using passes::pass_kind;
using passes::render_target;
using passes::target_format;

class FullscreenPass : public ::testing::Test {
protected:
    test_support::gl_context context;
    std::shared_ptr<const passes::black_texture> black = std::make_shared<passes::black_texture>();

    fullscreen_pass shadertoy(const std::string& source, std::span<const named_uniform> extras = {}) {
        return fullscreen_pass(pass_kind::shadertoy, source, "shaders/test.frag", extras, black);
    }

    // The first pixel of a 1x1 float target the pass drew, with those inputs and extras.
    glm::vec4 one_pixel(const fullscreen_pass& pass, const passes::shadertoy_inputs& inputs,
                        std::span<const glm::vec4> values = {}) {
        const render_target target(1, 1, target_format::rgba32f);
        target.bind();
        pass.draw(inputs, values);
        EXPECT_EQ(test_support::gl_error(), 0u);
        return pass_test::read_floats(target).front();
    }
};

// A pasted shader's own words: fragColor from fragCoord over iResolution.
constexpr const char* gradient = R"(void mainImage( out vec4 fragColor, in vec2 fragCoord )
{
    vec2 uv = fragCoord / iResolution.xy;
    fragColor = vec4(uv, 0.25, 1.0);
}
)";

TEST_F(FullscreenPass, GradientOverFragCoordReadsPixelCentres) {
    const fullscreen_pass pass = shadertoy(gradient);
    for (const target_format format : {target_format::rgba32f, target_format::rgba8}) {
        const render_target target(64, 32, format);
        target.bind();
        passes::shadertoy_inputs inputs;
        inputs.resolution = {64.0f, 32.0f, 1.0f};
        pass.draw(inputs, {});
        const std::vector<glm::vec4> floats = pass_test::read_floats(target);
        const std::vector<std::uint8_t> bytes = pass_test::read_bytes(target);
        for (const auto [x, y] :
             {std::array{0, 0}, std::array{63, 31}, std::array{17, 9}, std::array{40, 3}}) {
            const std::size_t i = static_cast<std::size_t>(y * 64 + x);
            const float u = (static_cast<float>(x) + 0.5f) / 64.0f;
            const float v = (static_cast<float>(y) + 0.5f) / 32.0f;
            if (format == target_format::rgba32f) {
                EXPECT_FLOAT_EQ(floats[i].x, u) << x << "," << y;
                EXPECT_FLOAT_EQ(floats[i].y, v) << x << "," << y;
                EXPECT_EQ(floats[i].z, 0.25f);
                EXPECT_EQ(floats[i].w, 1.0f);
            } else {
                EXPECT_EQ(bytes[4 * i], std::lround(u * 255.0f)) << x << "," << y;
                EXPECT_EQ(bytes[4 * i + 1], std::lround(v * 255.0f)) << x << "," << y;
                EXPECT_EQ(bytes[4 * i + 2], 64);
                EXPECT_EQ(bytes[4 * i + 3], 255);
            }
        }
    }
}

TEST_F(FullscreenPass, ShadertoyUniformsCarryTheirInputs) {
    passes::shadertoy_inputs in;
    in.resolution = {640.0f, 360.0f, 1.0f};
    in.time = 12.5f;
    in.time_delta = 0.0625f;
    in.frame = 750;
    in.frame_rate = 60.0f;
    in.channel_resolution = {glm::vec3(2.0f), glm::vec3(640.0f, 360.0f, 1.0f), glm::vec3(3.0f),
                             glm::vec3(4.0f)};
    in.channels = {0, black->id(), 0, 0};
    in.mouse = {1.0f, 2.0f, 3.0f, 4.0f};
    in.date = {2024.0f, 4.0f, 17.0f, 3600.5f};
    in.sample_rate = 44100.0f;
    struct uniform_case {
        const char* expression;
        glm::vec4 expected;
    };
    for (const uniform_case c : {
             uniform_case{"vec4(iTime, iTimeDelta, float(iFrame), iFrameRate)",
                          {12.5f, 0.0625f, 750.0f, 60.0f}},
             uniform_case{"vec4(iResolution, iChannelTime[2])", {640.0f, 360.0f, 1.0f, 12.5f}},
             uniform_case{"iMouse", {1.0f, 2.0f, 3.0f, 4.0f}},
             uniform_case{"iDate", {2024.0f, 4.0f, 17.0f, 3600.5f}},
             uniform_case{"vec4(iChannelResolution[1], iSampleRate)", {640.0f, 360.0f, 1.0f, 44100.0f}},
             // A channel that names nothing is the black 1x1 picture.
             uniform_case{"vec4(iChannelResolution[3], 0.0)", {1.0f, 1.0f, 1.0f, 0.0f}},
             uniform_case{"texture(iChannel2, vec2(0.3)) + vec4(0.0, float(HW_PERFORMANCE), 0.0, 0.0)",
                          {0.0f, 1.0f, 0.0f, 1.0f}},
         }) {
        const std::string source =
            std::string("void mainImage(out vec4 o, in vec2 p) { o = ") + c.expression + "; }\n";
        EXPECT_EQ(one_pixel(shadertoy(source), in), c.expected) << c.expression;
    }
}

TEST_F(FullscreenPass, ExtrasFeedTheirUniformsWhereNameAndSizeMatch) {
    // `gain` is declared by the shader itself (a pasted shader's parameter), `iTime` is the engine's, `wide`
    // has another size in the shader and `absent` is not named: those three stay as GL left them.
    const std::array<named_uniform, 6> extras{
        {{"speed", 1}, {"tint", 3}, {"gain", 1}, {"iTime", 1}, {"wide", 1}, {"absent", 1}}};
    const fullscreen_pass pass = shadertoy(R"(uniform float gain;
uniform vec2 wide;
void mainImage(out vec4 o, in vec2 p) {
    o = (p.x < 1.0) ? vec4(tint, speed) : vec4(gain, iTime, wide);
}
)",
                                           extras);
    const std::array<glm::vec4, 6> values{glm::vec4(0.5f), glm::vec4(0.125f, 0.25f, 0.375f, 9.0f),
                                          glm::vec4(2.5f), glm::vec4(99.0f),
                                          glm::vec4(7.0f), glm::vec4(8.0f)};
    const render_target target(2, 1, target_format::rgba32f);
    target.bind();
    passes::shadertoy_inputs in;
    in.time = 3.0f;
    pass.draw(in, values);
    EXPECT_EQ(test_support::gl_error(), 0u);
    const std::vector<glm::vec4> pixels = pass_test::read_floats(target);
    EXPECT_EQ(pixels[0], glm::vec4(0.125f, 0.25f, 0.375f, 0.5f));
    EXPECT_EQ(pixels[1], glm::vec4(2.5f, 3.0f, 0.0f, 0.0f));
    EXPECT_THROW(pass.draw(in, std::span(values).first(5)), invalid_argument);
}

TEST_F(FullscreenPass, PastedGlslEs300ShaderCompilesUnchanged) {
    // As copied from a web page: an ES version line, precision statements, ES-only spellings none.
    const fullscreen_pass pass = shadertoy(R"(#version 300 es
precision highp float;
precision mediump int;

const float PI = 3.14159265;

void mainImage( out vec4 fragColor, in vec2 fragCoord )
{
    highp vec2 q = fragCoord.xy / iResolution.xy;
    mediump int k = int(q.x * 4.0);
    fragColor = vec4(float(k) / 4.0, sin(PI * 0.5), 0.0, 1.0);
}
)");
    passes::shadertoy_inputs in;
    in.resolution = {1.0f, 1.0f, 1.0f};
    EXPECT_EQ(one_pixel(pass, in), glm::vec4(0.5f, 1.0f, 0.0f, 1.0f));
}

TEST_F(FullscreenPass, ErrorsNameTheUserFileAndLine) {
    struct broken {
        const char* source;
        const char* log;
    };
    for (const broken b : {
             broken{
                 "void mainImage(out vec4 c, in vec2 p) {\n    c = vec4(1.0);\n    c = undefined_name;\n}\n",
                 "shaders/test.frag:3:6: error: `undefined_name' undeclared\n"},
             // The version line still counts as line 1.
             broken{"#version 300 es\nprecision highp float;\nvoid mainImage(out vec4 c, in vec2 p) { c = 1; "
                    "}\n",
                    "shaders/test.frag:3:41: error: value of type float cannot be assigned to variable of "
                    "type vec4\n"},
             // Missing from the user's text, noticed on the engine's lines: the file alone.
             broken{"void other() {}\n", "shaders/test.frag: error: no function with name 'mainImage'\n"},
         }) {
        try {
            shadertoy(b.source);
            ADD_FAILURE() << "built: " << b.source;
        } catch (const passes::build_error& e) {
            EXPECT_EQ(std::string(e.what()), b.log);
        }
    }
}

// gl-transitions' wipe to the left.
constexpr const char* wipe = R"(// Author: test
// License: MIT
vec4 transition(vec2 uv) {
  return mix(getFromColor(uv), getToColor(uv), step(uv.x, progress));
}
)";

TEST_F(FullscreenPass, TransitionWipeShowsBothPicturesAtHalfway) {
    const render_target from(8, 2, target_format::rgba8);
    const render_target to(8, 2, target_format::rgba8);
    constexpr GLfloat red[4] = {1.0f, 0.0f, 0.0f, 1.0f};
    constexpr GLfloat blue[4] = {0.0f, 0.0f, 1.0f, 1.0f};
    from.bind();
    glapi::glClearBufferfv(GL_COLOR, 0, red);
    to.bind();
    glapi::glClearBufferfv(GL_COLOR, 0, blue);

    const fullscreen_pass pass(pass_kind::transition, wipe, "shaders/wipe.glsl", {}, black);
    const render_target target(8, 2, target_format::rgba8);
    target.bind();
    pass.draw(passes::transition_inputs{from.texture(), to.texture(), 0.5f, 4.0f}, {});
    EXPECT_EQ(test_support::gl_error(), 0u);
    const std::vector<std::uint8_t> pixels = pass_test::read_bytes(target);
    for (int y = 0; y < 2; ++y) {
        for (int x = 0; x < 8; ++x) {
            const std::size_t i = 4 * static_cast<std::size_t>(y * 8 + x);
            // uv.x = (x + 0.5) / 8: the left half is past the wipe and shows the picture it goes to.
            const std::array<int, 4> expected =
                x < 4 ? std::array{0, 0, 255, 255} : std::array{255, 0, 0, 255};
            EXPECT_EQ((std::array<int, 4>{pixels[i], pixels[i + 1], pixels[i + 2], pixels[i + 3]}), expected)
                << x << "," << y;
        }
    }
    EXPECT_THROW(pass.draw(passes::shadertoy_inputs{}, {}), invalid_argument);
}

TEST_F(FullscreenPass, TransitionDefaultsReachTheirUniformsUnlessAnExtraFeedsThem) {
    const char* source = R"(uniform bool flip; // = true
uniform float amount; // = 0.25
uniform ivec2 cells/* = ivec2(3, 5) */;
uniform vec2 direction; // = vec2(-1.0, 0.5)
uniform float fed; // = 0.75
vec4 transition(vec2 uv) {
  return uv.x < 0.5 ? vec4(float(flip), amount, vec2(cells) / 8.0) : vec4(direction, fed, ratio);
}
)";
    const std::array<named_uniform, 1> extras{{{"fed", 1}}};
    const fullscreen_pass pass(pass_kind::transition, source, "shaders/t.glsl", extras, black);
    const render_target target(2, 1, target_format::rgba32f);
    target.bind();
    const std::array<glm::vec4, 1> values{glm::vec4(0.125f)};
    pass.draw(passes::transition_inputs{0, 0, 0.0f, 1.75f}, values);
    EXPECT_EQ(test_support::gl_error(), 0u);
    const std::vector<glm::vec4> pixels = pass_test::read_floats(target);
    EXPECT_EQ(pixels[0], glm::vec4(1.0f, 0.25f, 0.375f, 0.625f));
    EXPECT_EQ(pixels[1], glm::vec4(-1.0f, 0.5f, 0.125f, 1.75f));
}

} // namespace
