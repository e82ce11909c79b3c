#include "gl/glsl_dialect.hpp"

#include <string_view>

namespace glsl {

std::string for_dialect(std::string source, dialect to) {
    if (to == dialect::desktop_330) return source;
    const std::size_t line_end = source.find('\n');
    std::string_view first = std::string_view(source).substr(0, line_end);
    if (!first.empty() && first.back() == '\r') first.remove_suffix(1);
    if (first != "#version 330 core" && first != "#version 330") return source;
    const std::string rest = line_end == std::string::npos ? std::string() : source.substr(line_end + 1);
    return "#version 300 es\n"
           "precision highp float;\n"
           "precision highp int;\n"
           "precision highp sampler2D;\n"
           "#line 2\n" +
           rest;
}

} // namespace glsl
