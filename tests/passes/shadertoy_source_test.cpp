#include "core/exceptions.hpp"
#include "passes/shadertoy_source.hpp"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

using passes::named_uniform;
using passes::uniform_default;

// What the extras add to the composed text.
std::string extra_declarations(passes::pass_kind kind, const std::string& source,
                               std::vector<named_uniform> extras) {
    const auto compose =
        kind == passes::pass_kind::shadertoy ? passes::shadertoy_fragment : passes::transition_fragment;
    const std::string bare = compose(source, {});
    const std::string full = compose(source, extras);
    const auto differs = std::mismatch(bare.begin(), bare.end(), full.begin()).first - bare.begin();
    return full.substr(static_cast<std::size_t>(differs), full.size() - bare.size());
}

TEST(ShadertoySource, UserTextFollowsLineOneUnchangedWithoutItsVersion) {
    const std::string text =
        "precision highp float;\r\nvoid mainImage(out vec4 c, in vec2 p) { c = vec4(1.0); }";
    for (const auto& [source, kept] : std::vector<std::pair<std::string, std::string>>{
             {text, text + "\n"},
             {"#version 300 es\n" + text, "\n" + text + "\n"},
             {"\n  # version 300 es\n" + text + "\n", "\n\n" + text + "\n"},
             {"// #version 300 es\n" + text, "// #version 300 es\n" + text + "\n"},
             {"/* licence\n*/ // note\n#version 300 es\n" + text, "/* licence\n*/ // note\n\n" + text + "\n"},
             {"/* a\nb */ #version 300 es\n" + text, "/* a\nb */ \n" + text + "\n"},
             {"float x;\n#version 300 es\n" + text, "float x;\n#version 300 es\n" + text + "\n"},
         }) {
        const std::string out = passes::shadertoy_fragment(source, {});
        EXPECT_TRUE(out.starts_with("#version 330 core\n#line 1000000000 1\n")) << out;
        EXPECT_NE(out.find("\n#line 1 0\n" + kept + "#line 1000000000 1\nvoid main() {"), std::string::npos)
            << source;
        if (!source.starts_with("//") && !source.starts_with("float")) {
            EXPECT_EQ(out.find("300 es"), std::string::npos);
        }
    }
}

TEST(ShadertoySource, ExtrasAreDeclaredWhereTheTextNamesThemAndDoesNotDeclareThem) {
    using passes::pass_kind;
    struct extras_case {
        pass_kind kind;
        const char* source;
        std::vector<named_uniform> extras;
        const char* declared;
    };
    const std::vector<named_uniform> four{{"speed", 1}, {"tint", 3}, {"flow", 2}, {"glow", 4}};
    for (const extras_case& c : std::vector<extras_case>{
             {pass_kind::shadertoy, "float f() { return speed + tint.x + flow.y + glow.w; }", four,
              "uniform float speed;\nuniform vec3 tint;\nuniform vec2 flow;\nuniform vec4 glow;\n"},
             // Declared by the text itself (plainly, with a precision, among others, with an initialiser).
             {pass_kind::shadertoy,
              "uniform float speed;\nuniform highp vec3 tint;\nuniform float a, flow[2], b;\n"
              "uniform vec4 glow = vec4(1.0);\nfloat f() { return speed; }",
              four, ""},
             // Named only in comments, or not at all; a macro may name one.
             {pass_kind::shadertoy, "// speed\n/* tint\nflow */\n#define X glow\nfloat f() { return 1.0; }",
              four, "uniform vec4 glow;\n"},
             {pass_kind::shadertoy, "// uniform float speed;\nfloat f() { return speed; }", four,
              "uniform float speed;\n"},
             // The engine's own names stay the engine's.
             {pass_kind::shadertoy,
              "float f() { return iTime + progress; }",
              {{"iTime", 1}, {"progress", 1}},
              "uniform float progress;\n"},
             {pass_kind::transition,
              "float f() { return iTime + progress + ratio; }",
              {{"iTime", 1}, {"progress", 1}, {"ratio", 1}, {"engine_uv", 2}},
              "uniform float iTime;\n"},
             {pass_kind::transition,
              "uniform float smoothness; // = 0.5\nvec4 transition(vec2 uv) { return vec4(smoothness); }",
              {{"smoothness", 1}},
              ""},
         }) {
        EXPECT_EQ(extra_declarations(c.kind, c.source, c.extras), c.declared) << c.source;
    }
}

TEST(ShadertoySource, RefusesExtrasGlslCannotNameAndOversizedText) {
    for (const named_uniform& bad : std::vector<named_uniform>{{"9lives", 1},
                                                               {"gl_Thing", 1},
                                                               {"a__b", 1},
                                                               {"dash-ed", 1},
                                                               {"", 1},
                                                               {std::string(65, 'a'), 1},
                                                               {"ok", 0},
                                                               {"ok", 5}}) {
        const std::vector<named_uniform> extras{bad};
        EXPECT_THROW(passes::shadertoy_fragment("void mainImage(out vec4 c, in vec2 p) {}", extras),
                     invalid_argument)
            << bad.name << " " << bad.components;
        EXPECT_THROW(passes::transition_fragment("", extras), invalid_argument) << bad.name;
    }
    const std::string big(passes::max_user_source_bytes + 1, ' ');
    EXPECT_THROW(passes::shadertoy_fragment(big, {}), invalid_argument);
    EXPECT_NO_THROW(passes::shadertoy_fragment(big.substr(1), {}));
}

TEST(ShadertoySource, TransitionDefaultsFromComments) {
    using k = uniform_default::scalar;
    const std::string source = R"(// Author: someone
uniform float smoothness; // = 0.5
uniform vec2 direction; // = vec2(0.0, 1.0)
uniform ivec2 squaresMin/* = ivec2(2) */;
uniform int steps; // = -3
uniform bool flip; // = true
uniform vec4 shadow_colour; // = vec4(0., 0., 0., .6)
uniform vec3 colour /* = vec3(1e-1, +2.5, 3) */ ;
uniform float amplitude; // = 30
uniform float scale; // = 2.0f;
uniform bool off; // = false
uniform float speed;
uniform float expression; // = 1.0 / 3.0
uniform int fractional; // = 1.5
uniform vec2 short_vector; // = vec2(1.0, 2.0, 3.0)
uniform ivec3 wrong_type; // = vec3(1)
uniform float huge; // = 1e39
uniform int too_big; // = 3000000000
uniform float beside; int x; // = 4.0
uniform sampler2D map; // = 1
// uniform float commented; // = 1.0
vec4 transition(vec2 uv) { return vec4(0.0); }
)";
    const std::vector<uniform_default> expected{
        {"smoothness", k::floating, 1, {0.5, 0, 0, 0}}, {"direction", k::floating, 2, {0.0, 1.0, 0, 0}},
        {"squaresMin", k::integer, 2, {2, 2, 0, 0}},    {"steps", k::integer, 1, {-3, 0, 0, 0}},
        {"flip", k::boolean, 1, {1, 0, 0, 0}},          {"shadow_colour", k::floating, 4, {0, 0, 0, 0.6}},
        {"colour", k::floating, 3, {0.1, 2.5, 3, 0}},   {"amplitude", k::floating, 1, {30, 0, 0, 0}},
        {"scale", k::floating, 1, {2, 0, 0, 0}},        {"off", k::boolean, 1, {0, 0, 0, 0}},
    };
    EXPECT_EQ(passes::transition_defaults(source), expected);
}

TEST(ShadertoySource, UserLogNamesTheFileLineAndColumn) {
    const std::string file = "shaders/tunnel.frag";
    for (const auto& [log, mapped] : std::vector<std::pair<std::string, std::string>>{
             {"0:12(5): error: `x' undeclared\n", "shaders/tunnel.frag:12:5: error: `x' undeclared\n"},
             {"0:3(1): warning: unused\r\n0:4(10): error: syntax error, unexpected '}'\n\n",
              "shaders/tunnel.frag:3:1: warning: unused\nshaders/tunnel.frag:4:10: error: syntax error, "
              "unexpected '}'\n"},
             {"0(7) : error C0000: syntax error", "shaders/tunnel.frag:7: error C0000: syntax error\n"},
             // The engine's lines: Mesa writes source string 0 but the lines are the engine's numbers.
             {"0:1000000003(2): error: no function with name 'mainImage'\n",
              "shaders/tunnel.frag: error: no function with name 'mainImage'\n"},
             {"1:3(2): error: x\n", "shaders/tunnel.frag: error: x\n"},
             {"error: fragment shader lacks `main'\n",
              "shaders/tunnel.frag: error: fragment shader lacks `main'\n"},
             {"0:12345678901(1): error: x\n", "shaders/tunnel.frag: 0:12345678901(1): error: x\n"},
             {"<empty>", ""},
             {"", ""},
         }) {
        EXPECT_EQ(passes::user_log(log, file), mapped) << log;
    }
}

} // namespace
