#include "passes/shadertoy_source.hpp"

#include "core/exceptions.hpp"
#include "passes/glsl_uniforms.hpp"

#include <algorithm>
#include <array>

namespace passes {

namespace {

constexpr std::array<std::string_view, 17> shadertoy_names{
    "iResolution",   "iTime",        "iTimeDelta",         "iFrame",
    "iFrameRate",    "iChannelTime", "iChannelResolution", "iChannel0",
    "iChannel1",     "iChannel2",    "iChannel3",          "iMouse",
    "iDate",         "iSampleRate",  "mainImage",          "main",
    "HW_PERFORMANCE"};
constexpr std::array<std::string_view, 7> transition_names{
    "progress", "ratio", "getFromColor", "getToColor", "transition", "main", "texture2D"};

constexpr std::string_view shadertoy_declarations = R"(#define HW_PERFORMANCE 1
uniform vec3 iResolution;
uniform float iTime;
uniform float iTimeDelta;
uniform int iFrame;
uniform float iFrameRate;
uniform float iChannelTime[4];
uniform vec3 iChannelResolution[4];
uniform vec4 iMouse;
uniform vec4 iDate;
uniform float iSampleRate;
uniform sampler2D iChannel0;
uniform sampler2D iChannel1;
uniform sampler2D iChannel2;
uniform sampler2D iChannel3;
out vec4 engine_colour;
)";

// An `out` parameter starts undefined, so main() hands mainImage a variable and copies it out.
constexpr std::string_view shadertoy_main = R"(void main() {
    vec4 colour = vec4(0.0, 0.0, 0.0, 1.0);
    mainImage(colour, gl_FragCoord.xy);
    engine_colour = colour;
}
)";

constexpr std::string_view transition_declarations = R"(#define texture2D texture
uniform sampler2D engine_from_picture;
uniform sampler2D engine_to_picture;
uniform float progress;
uniform float ratio;
in vec2 engine_uv;
out vec4 engine_colour;
vec4 getFromColor(vec2 uv) { return texture(engine_from_picture, uv); }
vec4 getToColor(vec2 uv) { return texture(engine_to_picture, uv); }
)";

constexpr std::string_view transition_main = R"(void main() {
    engine_colour = transition(engine_uv);
}
)";

constexpr std::array<std::string_view, 4> glsl_types{"float", "vec2", "vec3", "vec4"};

// Offset of the text's first character outside whitespace and comments (its size when there is none).
std::size_t first_token(std::string_view text) {
    std::size_t i = 0;
    while (i < text.size()) {
        if (text.compare(i, 2, "//") == 0) {
            i = std::min(text.find('\n', i), text.size());
        } else if (text.compare(i, 2, "/*") == 0) {
            const std::size_t close = text.find("*/", i + 2);
            i = close == std::string_view::npos ? text.size() : close + 2;
        } else if (text[i] == ' ' || text[i] == '\t' || text[i] == '\r' || text[i] == '\n') {
            ++i;
        } else {
            break;
        }
    }
    return i;
}

// The user's text with its `#version` line (before anything but comments) emptied: the engine gives the
// version, and the newline stays so that the text's lines keep their numbers.
std::string user_text(std::string_view source, const char* caller) {
    if (source.size() > max_user_source_bytes) {
        throw invalid_argument(std::string(caller) + "(): The shader holds " + std::to_string(source.size()) +
                               " bytes, more than the " + std::to_string(max_user_source_bytes) +
                               " allowed.");
    }
    std::string text(source);
    const std::size_t first = first_token(text);
    if (first < text.size() && text[first] == '#') {
        const std::size_t word = text.find_first_not_of(" \t", first + 1);
        if (word != std::string::npos && text.compare(word, 7, "version") == 0) {
            // From the line's start, unless a comment ends on the line before the directive.
            const std::size_t line = text.rfind('\n', first);
            std::size_t start = line == std::string::npos ? 0 : line + 1;
            if (text.find_first_not_of(" \t", start) != first) start = first;
            const std::size_t end = text.find('\n', first);
            text.erase(start, end == std::string::npos ? std::string::npos : end - start);
        }
    }
    if (!text.empty() && text.back() != '\n') text += '\n';
    return text;
}

std::string extra_declarations(pass_kind kind, std::string_view source, std::span<const named_uniform> extras,
                               const char* caller) {
    const std::vector<uniform_declaration> declared = declared_uniforms(source);
    const std::unordered_set<std::string_view> named = identifiers(source);
    std::string text;
    for (const named_uniform& extra : extras) {
        if (!is_glsl_identifier(extra.name)) {
            throw invalid_argument(std::string(caller) + "(): '" + extra.name +
                                   "' cannot name a GLSL uniform.");
        }
        if (extra.components < 1 || extra.components > 4) {
            throw invalid_argument(std::string(caller) + "(): The uniform '" + extra.name + "' has " +
                                   std::to_string(extra.components) + " components (1 to 4 are possible).");
        }
        const bool user_declares =
            std::any_of(declared.begin(), declared.end(),
                        [&](const uniform_declaration& d) { return d.name == extra.name; });
        // Declaring only what the text names keeps a piece's many curves from colliding with the text's own
        // globals of the same names.
        if (engine_name(kind, extra.name) || user_declares || !named.contains(extra.name)) continue;
        text += "uniform ";
        text += glsl_types[static_cast<std::size_t>(extra.components - 1)];
        text += ' ' + extra.name + ";\n";
    }
    return text;
}

std::string compose(pass_kind kind, std::string_view user_source, std::span<const named_uniform> extras,
                    const char* caller) {
    const bool shadertoy = kind == pass_kind::shadertoy;
    const std::string text = user_text(user_source, caller);
    const std::string engine_lines = "#line " + std::to_string(engine_first_line) + " 1\n";
    std::string out = "#version 330 core\n" + engine_lines;
    out += shadertoy ? shadertoy_declarations : transition_declarations;
    out += extra_declarations(kind, text, extras, caller);
    out += "#line 1 0\n";
    out += text;
    out += engine_lines;
    out += shadertoy ? shadertoy_main : transition_main;
    return out;
}

} // namespace

bool engine_name(pass_kind kind, std::string_view name) {
    const auto listed = [&](const auto& names) {
        return std::find(names.begin(), names.end(), name) != names.end();
    };
    return name.starts_with("engine_") ||
           (kind == pass_kind::shadertoy ? listed(shadertoy_names) : listed(transition_names));
}

std::string shadertoy_fragment(std::string_view user_source, std::span<const named_uniform> extras) {
    return compose(pass_kind::shadertoy, user_source, extras, "passes::shadertoy_fragment");
}

std::string transition_fragment(std::string_view user_source, std::span<const named_uniform> extras) {
    return compose(pass_kind::transition, user_source, extras, "passes::transition_fragment");
}

} // namespace passes
