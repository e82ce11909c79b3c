#include "model/line_scanner.hpp"

#include "model/float_token.hpp"

#include <cstdint>
#include <limits>

namespace {

// The classic locale's white space.
bool is_space(char c) {
    return c == ' ' || c == '\t' || c == '\n' || c == '\v' || c == '\f' || c == '\r';
}

bool is_digit(char c) {
    return c >= '0' && c <= '9';
}

bool is_sign(char c) {
    return c == '+' || c == '-';
}

// The end of the characters num_get takes for a float starting at p: sign, mantissa digits with one
// point, then 'e' or 'E' (only after a mantissa digit) with an optional sign and digits. What it takes
// is consumed even when it turns out to be no number ("1e+", "-", ".").
const char* float_token_end(const char* p, const char* end) {
    if (p != end && is_sign(*p)) ++p;
    bool mantissa = false;
    bool point = false;
    bool exponent = false;
    while (p != end) {
        const char c = *p;
        if (is_digit(c)) {
            mantissa = true;
        } else if (c == '.' && !point && !exponent) {
            point = true;
        } else if ((c == 'e' || c == 'E') && !exponent && mantissa) {
            exponent = true;
            ++p;
            if (p == end) break;
            if (!is_sign(*p)) continue; // the character after 'e' is looked at afresh
        } else {
            break;
        }
        ++p;
    }
    return p;
}

} // namespace

bool line_scanner::skip_space() {
    if (fail) return false;
    while (pos != end && is_space(*pos))
        ++pos;
    if (pos == end) fail = true;
    return !fail;
}

line_scanner& line_scanner::operator>>(float& value) {
    if (!skip_space()) return *this;
    const char* const start = pos;
    pos = float_token_end(pos, end);

    const float_token token = read_float_token(start, pos);
    value = token.value;
    if (!token.ok) fail = true;
    return *this;
}

line_scanner& line_scanner::operator>>(long long& value) {
    if (!skip_space()) return *this;
    const bool negative = *pos == '-';
    if (is_sign(*pos)) ++pos;
    // The magnitude limit of the sign: 2^63 for negative numbers, 2^63 - 1 otherwise.
    const std::uint64_t limit =
        static_cast<std::uint64_t>(std::numeric_limits<long long>::max()) + (negative ? 1 : 0);
    std::uint64_t magnitude = 0;
    bool any_digit = false;
    bool overflow = false;
    for (; pos != end && is_digit(*pos); ++pos) {
        any_digit = true;
        const auto digit = static_cast<std::uint64_t>(*pos - '0');
        if (overflow || magnitude > (limit - digit) / 10) {
            overflow = true;
        } else {
            magnitude = magnitude * 10 + digit;
        }
    }
    if (!any_digit) {
        value = 0;
        fail = true;
    } else if (overflow) {
        value = negative ? std::numeric_limits<long long>::min() : std::numeric_limits<long long>::max();
        fail = true;
    } else {
        value = negative ? static_cast<long long>(0 - magnitude) : static_cast<long long>(magnitude);
    }
    return *this;
}

line_scanner& line_scanner::operator>>(std::string& word) {
    if (!skip_space()) return *this;
    const char* const start = pos;
    while (pos != end && !is_space(*pos))
        ++pos;
    word.assign(start, pos);
    return *this;
}

std::string line_scanner::rest() {
    if (!more()) return {};
    const char* stop = end;
    while (is_space(stop[-1]))
        --stop;
    return std::string(pos, stop);
}
