#include "logger/number_text.hpp"

#include <cerrno>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#if !defined(__EMSCRIPTEN__)
#include <charconv>
#endif

namespace number_text {

namespace {

// errno as it was, whatever strtod does to it.
class errno_kept {
public:
    errno_kept()
        : saved(errno) {
        errno = 0;
    }
    ~errno_kept() { errno = saved; }
    errno_kept(const errno_kept&) = delete;
    errno_kept& operator=(const errno_kept&) = delete;

private:
    int saved;
};

} // namespace

std::string shortest_libc(double value) {
    if (std::isnan(value)) return std::signbit(value) ? "-nan" : "nan";
    if (std::isinf(value)) return value < 0.0 ? "-inf" : "inf";
    // The fewest significant digits that read back as value, in printf's scientific form.
    char scientific[40];
    for (int digits = 1; digits <= 17; ++digits) {
        std::snprintf(scientific, sizeof scientific, "%.*e", digits - 1, value);
        const errno_kept kept;
        if (std::strtod(scientific, nullptr) == value) break;
    }
    // The same digits written out in fixed notation: as many decimals as they reach below the point.
    const char* const e = std::strchr(scientific, 'e');
    const int exponent = std::atoi(e + 1);
    int decimals = 0;
    for (const char* p = std::strchr(scientific, '.'); p != nullptr && ++p < e;)
        ++decimals;
    const int fixed_decimals = decimals - exponent > 0 ? decimals - exponent : 0;
    char fixed_form[400];
    std::snprintf(fixed_form, sizeof fixed_form, "%.*f", fixed_decimals, value);
    const std::size_t fixed_length = std::strlen(fixed_form);
    const std::size_t scientific_length = static_cast<std::size_t>(e - scientific) + std::strlen(e);
    return fixed_length <= scientific_length ? std::string(fixed_form) : std::string(scientific);
}

std::optional<double> parse_libc(std::string_view text) {
    // strtod takes more than from_chars does: white space and '+' in front, hexadecimal numbers.
    if (text.empty() || text.size() > 400) return std::nullopt;
    const std::size_t first = text.front() == '-' ? 1 : 0;
    if (first == text.size()) return std::nullopt;
    const char lead = text[first];
    if (lead == '+' || lead == '-' || lead == ' ' || (lead >= '\t' && lead <= '\r')) return std::nullopt;
    if (lead == '0' && text.size() > first + 1 && (text[first + 1] == 'x' || text[first + 1] == 'X'))
        return std::nullopt;
    const std::string terminated(text);
    char* stop = nullptr;
    const errno_kept kept;
    const double value = std::strtod(terminated.c_str(), &stop);
    if (stop != terminated.c_str() + terminated.size()) return std::nullopt;
    if (errno == ERANGE && (std::isinf(value) || value == 0.0)) return std::nullopt;
    return value;
}

#if defined(__EMSCRIPTEN__)

char* fixed(char* first, char* last, double value, int precision) {
    const int written = std::snprintf(first, static_cast<std::size_t>(last - first), "%.*f", precision, value);
    if (written < 0 || written >= last - first) return nullptr;
    return first + written;
}

std::string shortest(double value) {
    return shortest_libc(value);
}

std::optional<double> parse(std::string_view text) {
    return parse_libc(text);
}

#else

char* fixed(char* first, char* last, double value, int precision) {
    const auto [end, error] = std::to_chars(first, last, value, std::chars_format::fixed, precision);
    return error == std::errc() ? end : nullptr;
}

std::string shortest(double value) {
    char text[32];
    const auto [end, error] = std::to_chars(text, text + sizeof text, value);
    return error == std::errc() ? std::string(text, end) : std::string();
}

std::optional<double> parse(std::string_view text) {
    double value = 0.0;
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (error != std::errc() || end != text.data() + text.size()) return std::nullopt;
    return value;
}

#endif

} // namespace number_text
