#include "passes/shadertoy_source.hpp"

#include <cctype>
#include <optional>

namespace passes {

namespace {

// Digits at the front of `s`, consumed; nothing when there are none or too many to be a line.
std::optional<std::string_view> number(std::string_view& s) {
    std::size_t n = 0;
    while (n < s.size() && std::isdigit(static_cast<unsigned char>(s[n])) != 0)
        ++n;
    if (n == 0 || n > 10) return std::nullopt;
    const std::string_view digits = s.substr(0, n);
    s.remove_prefix(n);
    return digits;
}

bool take(std::string_view& s, std::string_view what) {
    if (!s.starts_with(what)) return false;
    s.remove_prefix(what.size());
    return true;
}

struct place {
    std::string_view source;
    std::string_view line;
    std::string_view column; // empty when the driver gives none
    std::string_view message;
};

// Mesa's `S:L(C): message` and the `S(L) : message` other drivers write.
std::optional<place> placed(std::string_view text) {
    place p;
    const auto source = number(text);
    if (!source) return std::nullopt;
    p.source = *source;
    if (take(text, ":")) {
        const auto line = number(text);
        if (!line || !take(text, "(")) return std::nullopt;
        const auto column = number(text);
        if (!column || !take(text, "):")) return std::nullopt;
        p.line = *line;
        p.column = *column;
    } else if (take(text, "(")) {
        const auto line = number(text);
        if (!line || !take(text, ")")) return std::nullopt;
        while (take(text, " ")) {
        }
        if (!take(text, ":")) return std::nullopt;
        p.line = *line;
    } else {
        return std::nullopt;
    }
    while (take(text, " ")) {
    }
    p.message = text;
    return p;
}

} // namespace

std::string user_log(std::string_view info_log, const std::string& file) {
    std::string out;
    while (!info_log.empty()) {
        const std::size_t end = info_log.find('\n');
        std::string_view line = info_log.substr(0, end);
        info_log.remove_prefix(end == std::string_view::npos ? info_log.size() : end + 1);
        while (!line.empty() && (line.back() == '\r' || line.back() == ' '))
            line.remove_suffix(1);
        if (line.empty() || line == "<empty>") continue;
        out += file;
        const auto p = placed(line);
        if (p && p->source == "0" && std::stol(std::string(p->line)) < engine_first_line) {
            out += ':';
            out += p->line;
            if (!p->column.empty()) {
                out += ':';
                out += p->column;
            }
        }
        out += ": ";
        out += p ? p->message : line;
        out += '\n';
    }
    return out;
}

} // namespace passes
