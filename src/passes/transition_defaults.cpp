#include "passes/glsl_uniforms.hpp"
#include "logger/number_text.hpp"
#include "passes/shadertoy_source.hpp"

#include <charconv>
#include <cmath>
#include <limits>
#include <optional>

namespace passes {

namespace {

struct value_type {
    std::string_view name;
    uniform_default::scalar kind;
    int components;
};

constexpr value_type value_types[] = {
    {"float", uniform_default::scalar::floating, 1}, {"vec2", uniform_default::scalar::floating, 2},
    {"vec3", uniform_default::scalar::floating, 3},  {"vec4", uniform_default::scalar::floating, 4},
    {"int", uniform_default::scalar::integer, 1},    {"ivec2", uniform_default::scalar::integer, 2},
    {"ivec3", uniform_default::scalar::integer, 3},  {"ivec4", uniform_default::scalar::integer, 4},
    {"bool", uniform_default::scalar::boolean, 1}};

std::string_view trim(std::string_view s) {
    const std::size_t first = s.find_first_not_of(" \t\r\n");
    if (first == std::string_view::npos) return {};
    return s.substr(first, s.find_last_not_of(" \t\r\n") - first + 1);
}

// The text after `=` when the comment is a default (`= 0.5`), else nothing.
std::optional<std::string_view> assigned(std::string_view comment) {
    comment = trim(comment);
    if (!comment.starts_with('=')) return std::nullopt;
    comment = trim(comment.substr(1));
    if (comment.ends_with(';')) comment = trim(comment.substr(0, comment.size() - 1));
    return comment;
}

std::optional<double> scalar_literal(std::string_view text, uniform_default::scalar kind) {
    text = trim(text);
    if (kind == uniform_default::scalar::boolean) {
        if (text == "true") return 1.0;
        if (text == "false") return 0.0;
        return std::nullopt;
    }
    bool negative = false;
    if (text.starts_with('-') || text.starts_with('+')) {
        negative = text.front() == '-';
        text.remove_prefix(1);
    }
    if (text.empty() || text.front() == '-' || text.front() == '+') return std::nullopt;
    if (kind == uniform_default::scalar::integer) {
        long long v = 0;
        const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), v);
        if (error != std::errc{} || end != text.data() + text.size()) return std::nullopt;
        if (v > std::numeric_limits<int>::max()) return std::nullopt;
        return negative ? -static_cast<double>(v) : static_cast<double>(v);
    }
    if (text.ends_with('f') || text.ends_with('F')) text.remove_suffix(1);
    const std::optional<double> read = number_text::parse(text);
    if (!read || !std::isfinite(static_cast<float>(*read))) return std::nullopt;
    return negative ? -*read : *read;
}

// A literal of the type: a scalar, or the type's constructor with one value or one per component.
std::optional<std::array<double, 4>> literal(std::string_view text, const value_type& type) {
    std::array<double, 4> value{};
    if (type.components == 1) {
        const auto v = scalar_literal(text, type.kind);
        if (!v) return std::nullopt;
        value[0] = *v;
        return value;
    }
    if (!text.starts_with(type.name)) return std::nullopt;
    std::string_view args = trim(text.substr(type.name.size()));
    if (!args.starts_with('(') || !args.ends_with(')')) return std::nullopt;
    args = args.substr(1, args.size() - 2);
    int count = 0;
    while (true) {
        const std::size_t comma = args.find(',');
        if (count == type.components) return std::nullopt;
        const auto v = scalar_literal(args.substr(0, comma), type.kind);
        if (!v) return std::nullopt;
        value[static_cast<std::size_t>(count++)] = *v;
        if (comma == std::string_view::npos) break;
        args.remove_prefix(comma + 1);
    }
    if (count == 1)
        value.fill(value[0]);
    else if (count != type.components)
        return std::nullopt;
    for (std::size_t i = static_cast<std::size_t>(type.components); i < value.size(); ++i)
        value[i] = 0.0;
    return value;
}

// The default's text: a `/* = x */` between the name and the `;`, or a `// = x` after the `;` on its line.
std::optional<std::string_view> default_text(std::string_view source, const uniform_declaration& d) {
    const std::string_view between = source.substr(d.name_end, d.semicolon - d.name_end);
    const std::size_t open = between.find("/*");
    if (open != std::string_view::npos) {
        const std::size_t close = between.find("*/", open + 2);
        if (close != std::string_view::npos) return assigned(between.substr(open + 2, close - open - 2));
    }
    std::string_view rest = source.substr(d.semicolon + 1);
    rest = rest.substr(0, rest.find('\n'));
    const std::size_t start = rest.find_first_not_of(" \t");
    if (start == std::string_view::npos || !rest.substr(start).starts_with("//")) return std::nullopt;
    return assigned(rest.substr(start + 2));
}

} // namespace

std::vector<uniform_default> transition_defaults(std::string_view user_source) {
    std::vector<uniform_default> defaults;
    if (user_source.size() > max_user_source_bytes) return defaults;
    for (const uniform_declaration& d : declared_uniforms(user_source)) {
        for (const value_type& type : value_types) {
            if (d.type != type.name) continue;
            const auto text = default_text(user_source, d);
            const auto value = text ? literal(*text, type) : std::nullopt;
            if (value) defaults.push_back({d.name, type.kind, type.components, *value});
        }
    }
    return defaults;
}

} // namespace passes
