#pragma once
// The uniforms a GLSL text declares at its top level, found by a small scanner that skips comments and
// preprocessor lines, so that the engine neither declares a name twice nor misses a default written
// beside a declaration.

#include <cstddef>
#include <string>
#include <string_view>
#include <unordered_set>
#include <vector>

namespace passes {

struct uniform_declaration {
    std::string type; // "float", "vec2", "sampler2D", ...
    std::string name;
    std::size_t name_end = 0;  // offset just past the name in the text
    std::size_t semicolon = 0; // offset of the `;` that ends the declaration
};

// `uniform [precision] TYPE NAME [ [N] ] {, NAME [ [N] ]} ;` in order of appearance. Uniform blocks and
// anything the scanner cannot follow are left out.
std::vector<uniform_declaration> declared_uniforms(std::string_view source);

// Every identifier of the text outside comments, macro bodies included (views into the text).
std::unordered_set<std::string_view> identifiers(std::string_view source);

// A name GLSL accepts for a uniform: a letter or `_`, then letters, digits or `_`, at most 64 characters,
// not starting with `gl_` and without `__`.
bool is_glsl_identifier(std::string_view name);

} // namespace passes
