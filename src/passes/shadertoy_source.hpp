#pragma once
// Complete fragment shaders made from the files demo makers paste: Shadertoy's image shaders
// (`void mainImage(out vec4, in vec2)`) and gl-transitions' transitions (`vec4 transition(vec2 uv)`).
// The engine adds the version, its declarations and main(); the user's text follows unchanged under
// `#line 1 0`, so the driver counts its lines as the file's own. The engine's lines are source string 1
// and numbered from engine_first_line, far past any user text's lines, because some drivers (Mesa) write
// every message with source string 0.

#include <array>
#include <cstddef>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace passes {

// Longest user text the composers take.
constexpr std::size_t max_user_source_bytes = std::size_t{1} << 20;
constexpr long engine_first_line = 1000000000;

enum class pass_kind { shadertoy, transition };

// True for a name the engine declares in that kind of program (iTime, progress, engine_...): an extra of
// that name is neither declared nor fed, the engine's own value wins.
bool engine_name(pass_kind kind, std::string_view name);

// A uniform the engine feeds besides its own (a curve or an event track): 1 to 4 float components.
struct named_uniform {
    std::string name;
    int components = 1;
};

// The fragment shader of a Shadertoy image shader: `#version 330 core`, iResolution, iTime, iTimeDelta,
// iFrame, iFrameRate, iChannelTime[4], iChannelResolution[4], iChannel0-3, iMouse, iDate, iSampleRate,
// `#define HW_PERFORMANCE 1`, the extras the text names but does not declare as uniforms itself (engine
// names left out), then the text and a main() calling mainImage(colour, gl_FragCoord.xy). A leading
// `#version` line of the text is blanked (its line still counts). Throws invalid_argument for a text over
// max_user_source_bytes and for an extra whose name is no GLSL identifier or that has other than 1 to 4
// components.
std::string shadertoy_fragment(std::string_view user_source, std::span<const named_uniform> extras);

// The engine's names in a transition program: the two pictures (sampled at the same uv) and the varying
// carrying uv, 0 to 1 over the target.
inline constexpr const char* transition_from_sampler = "engine_from_picture";
inline constexpr const char* transition_to_sampler = "engine_to_picture";

// The fragment shader of a gl-transitions file: getFromColor(uv), getToColor(uv), `progress` and `ratio`
// (width / height) provided, the extras as for shadertoy_fragment, `texture2D` read as `texture`, and a
// main() writing transition(uv). Throws what shadertoy_fragment throws.
std::string transition_fragment(std::string_view user_source, std::span<const named_uniform> extras);

// A value written beside a uniform's declaration in a gl-transitions file, to be set once after linking:
//   uniform float smoothness; // = 0.5
//   uniform ivec2 squaresMin/* = ivec2(2) */;
struct uniform_default {
    enum class scalar { floating, integer, boolean };
    std::string name;
    scalar kind = scalar::floating;
    int components = 1;
    std::array<double, 4> value{};

    bool operator==(const uniform_default&) const = default;
};

// The defaults of float, int, bool, vec2-4 and ivec2-4 uniforms, in declaration order. A literal of the
// declared type (a float uniform also takes an integer; a vector takes one value for all components or
// one per component) is kept; anything else (an expression, a name, a value out of range) is left out
// and the uniform starts at zero as GL's own do.
std::vector<uniform_default> transition_defaults(std::string_view user_source);

// The driver's compile or link log with every message naming the user's file: Mesa's `0:12(5): error: x`
// becomes `file:12:5: error: x` (`0(12) : error x` becomes `file:12: error x`). Messages about the engine's
// lines (source string 1, or lines from engine_first_line) and messages without a place name the file
// alone (`file: error: x`). Blank
// lines and GL's "<empty>" are dropped; each message ends with a newline.
std::string user_log(std::string_view info_log, const std::string& file);

} // namespace passes
