#include "acts/declared_samplers.hpp"

#include "piece/piece.hpp"
#include "piece/piece_error.hpp"

#include <algorithm>
#include <cctype>
#include <string_view>

namespace {

bool identifier_char(char c) {
    return std::isalnum(static_cast<unsigned char>(c)) != 0 || c == '_';
}

// The source's tokens without comments: identifiers and numbers whole, every other mark alone.
std::vector<std::string_view> tokens(std::string_view text) {
    std::vector<std::string_view> out;
    std::size_t i = 0;
    while (i < text.size()) {
        const char c = text[i];
        if (text.substr(i, 2) == "//") {
            i = text.find('\n', i);
        } else if (text.substr(i, 2) == "/*") {
            const std::size_t end = text.find("*/", i + 2);
            i = end == std::string_view::npos ? end : end + 2;
        } else if (identifier_char(c)) {
            const std::size_t start = i;
            while (i < text.size() && identifier_char(text[i]))
                ++i;
            out.push_back(text.substr(start, i - start));
            continue;
        } else {
            if (std::isspace(static_cast<unsigned char>(c)) == 0) out.push_back(text.substr(i, 1));
            ++i;
        }
        if (i == std::string_view::npos) break;
    }
    return out;
}

bool precision(std::string_view t) {
    return t == "lowp" || t == "mediump" || t == "highp";
}

} // namespace

std::vector<std::string> declared_samplers(std::span<const std::string> sources) {
    std::vector<std::string> names;
    const auto add = [&](std::string_view name) {
        if (std::find(names.begin(), names.end(), name) == names.end()) names.emplace_back(name);
    };
    for (const std::string& source : sources) {
        const std::vector<std::string_view> t = tokens(source);
        for (std::size_t i = 0; i < t.size(); ++i) {
            if (t[i] != "uniform") continue;
            std::size_t k = i + 1;
            while (k < t.size() && precision(t[k]))
                ++k;
            if (k >= t.size() || t[k] != "sampler2D") continue;
            // Names, each perhaps with an array size, separated by commas up to the semicolon.
            for (++k; k < t.size() && t[k] != ";"; ++k) {
                if (t[k] == "[") {
                    while (k < t.size() && t[k] != "]")
                        ++k;
                } else if (identifier_char(t[k][0]) &&
                           std::isdigit(static_cast<unsigned char>(t[k][0])) == 0) {
                    add(t[k]);
                }
            }
            i = k;
        }
    }
    return names;
}

std::vector<int> sprite_texture_indices(const piece::piece_data& p, std::span<const std::string> sources) {
    const std::vector<std::string> declared = declared_samplers(sources);
    std::vector<int> indices;
    indices.reserve(p.sprites.size());
    for (const piece::sprite& s : p.sprites) {
        if (!s.sampler) {
            indices.push_back(-1);
            continue;
        }
        const auto at = std::find(declared.begin(), declared.end(), *s.sampler);
        if (at == declared.end()) {
            std::string known;
            for (const std::string& name : declared)
                known += (known.empty() ? "'" : ", '") + name + "'";
            throw piece::piece_error(p.file, s.line, s.column,
                                     "sprite '" + s.name + "' names the sampler '" + *s.sampler +
                                         "', which the particle shaders do not declare (they declare " +
                                         (known.empty() ? "none" : known) + ")");
        }
        indices.push_back(static_cast<int>(at - declared.begin()));
    }
    return indices;
}
