#include "passes/glsl_uniforms.hpp"

#include <cctype>

namespace passes {

namespace {

struct token {
    std::string_view text;
    std::size_t offset;
};

bool starts_identifier(char c) {
    return std::isalpha(static_cast<unsigned char>(c)) != 0 || c == '_';
}

bool continues_identifier(char c) {
    return std::isalnum(static_cast<unsigned char>(c)) != 0 || c == '_';
}

// Offset of the end of the line starting the search at `from`, following backslash-newline continuations
// as the preprocessor does.
std::size_t end_of_line(std::string_view s, std::size_t from, bool continued) {
    for (std::size_t i = from; i < s.size(); ++i) {
        if (s[i] != '\n') continue;
        if (continued && i > from &&
            (s[i - 1] == '\\' || (s[i - 1] == '\r' && i > from + 1 && s[i - 2] == '\\')))
            continue;
        return i;
    }
    return s.size();
}

// Identifiers, numbers and single punctuation characters; comments dropped, and preprocessor lines too
// unless `directives` is set.
std::vector<token> scan(std::string_view s, bool directives) {
    std::vector<token> out;
    std::size_t i = 0;
    bool line_start = true;
    while (i < s.size()) {
        const char c = s[i];
        const char next = i + 1 < s.size() ? s[i + 1] : '\0';
        if (c == '\n') {
            line_start = true;
            ++i;
        } else if (c == ' ' || c == '\t' || c == '\r' || c == '\f' || c == '\v') {
            ++i;
        } else if (c == '/' && next == '/') {
            i = end_of_line(s, i, true);
        } else if (c == '/' && next == '*') {
            const std::size_t close = s.find("*/", i + 2);
            i = close == std::string_view::npos ? s.size() : close + 2;
        } else if (c == '#' && line_start && !directives) {
            i = end_of_line(s, i, true);
        } else {
            line_start = false;
            std::size_t j = i + 1;
            if (starts_identifier(c)) {
                while (j < s.size() && continues_identifier(s[j]))
                    ++j;
            } else if (std::isdigit(static_cast<unsigned char>(c)) != 0 ||
                       (c == '.' && std::isdigit(static_cast<unsigned char>(next)) != 0)) {
                while (j < s.size() &&
                       (continues_identifier(s[j]) || s[j] == '.' ||
                        ((s[j] == '+' || s[j] == '-') && (s[j - 1] == 'e' || s[j - 1] == 'E'))))
                    ++j;
            }
            out.push_back({s.substr(i, j - i), i});
            i = j;
        }
    }
    return out;
}

bool is_precision(std::string_view word) {
    return word == "highp" || word == "mediump" || word == "lowp";
}

} // namespace

std::vector<uniform_declaration> declared_uniforms(std::string_view source) {
    const std::vector<token> t = scan(source, false);
    std::vector<uniform_declaration> found;
    const auto at = [&](std::size_t k) { return k < t.size() ? t[k].text : std::string_view{}; };
    const auto identifier = [&](std::size_t k) { return k < t.size() && starts_identifier(t[k].text[0]); };
    for (std::size_t i = 0; i < t.size(); ++i) {
        if (t[i].text != "uniform") continue;
        std::size_t j = i + 1;
        if (is_precision(at(j))) ++j;
        if (!identifier(j)) continue;
        const std::string type(at(j++));
        if (at(j) == "{") continue; // a uniform block: its members are no plain uniforms
        std::vector<uniform_declaration> names;
        while (identifier(j)) {
            names.push_back({type, std::string(at(j)), t[j].offset + t[j].text.size(), 0});
            ++j;
            // An array size and an initializer are skipped up to the next declarator.
            int depth = 0;
            while (j < t.size() && !(depth == 0 && (at(j) == "," || at(j) == ";"))) {
                if (at(j) == "(" || at(j) == "[") ++depth;
                if (at(j) == ")" || at(j) == "]") --depth;
                if (depth < 0 || at(j) == "{" || at(j) == "}") break;
                ++j;
            }
            if (at(j) != ",") break;
            ++j;
        }
        if (at(j) != ";") continue;
        for (uniform_declaration& d : names) {
            d.semicolon = t[j].offset;
            found.push_back(std::move(d));
        }
        i = j;
    }
    return found;
}

std::unordered_set<std::string_view> identifiers(std::string_view source) {
    std::unordered_set<std::string_view> names;
    for (const token& t : scan(source, true)) {
        if (starts_identifier(t.text[0])) names.insert(t.text);
    }
    return names;
}

bool is_glsl_identifier(std::string_view name) {
    if (name.empty() || name.size() > 64 || !starts_identifier(name[0])) return false;
    for (const char c : name) {
        if (!continues_identifier(c)) return false;
    }
    return !name.starts_with("gl_") && name.find("__") == std::string_view::npos;
}

} // namespace passes
