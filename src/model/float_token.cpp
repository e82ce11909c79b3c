#include "model/float_token.hpp"

#include <cerrno>
#include <cfloat>
#include <cmath>
#include <cstdlib>
#include <cstring>
#include <string>

#if !defined(__EMSCRIPTEN__)
#include <charconv>
#include <sstream>
#endif

float_token read_float_token_libc(const char* first, const char* last) {
    // strtof wants a terminated string; tokens are short, so a long one is the rare case that allocates.
    const auto length = static_cast<std::size_t>(last - first);
    char small[64];
    std::string large;
    char* text = small;
    if (length < sizeof small) {
        std::memcpy(small, first, length);
        small[length] = '\0';
    } else {
        large.assign(first, last);
        text = large.data();
    }
    char* stop = nullptr;
    const int saved_errno = errno;
    const float parsed = std::strtof(text, &stop);
    errno = saved_errno;
    if (length == 0 || stop != text + length) return {0.0f, false};
    if (std::isinf(parsed)) return {parsed > 0.0f ? FLT_MAX : -FLT_MAX, false};
    return {parsed, true};
}

#if defined(__EMSCRIPTEN__)

float_token read_float_token(const char* first, const char* last) {
    return read_float_token_libc(first, last);
}

#else

float_token read_float_token(const char* first, const char* last) {
    // Correctly rounded, as the stream's conversion is; from_chars only lacks the leading '+'.
    const char* digits = first;
    if (digits != last && *digits == '+') ++digits;
    float parsed = 0.0f;
    const auto [stop, error] = std::from_chars(digits, last, parsed);
    if (digits != last && error == std::errc() && stop == last) return {parsed, true};
    // Rare cases (no number at all, out of range, underflow) are settled by the stream itself.
    std::istringstream token(std::string(first, last));
    float streamed = 0.0f;
    token >> streamed;
    return {streamed, !token.fail()};
}

#endif
