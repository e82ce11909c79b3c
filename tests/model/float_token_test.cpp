#include "model/float_token.hpp"

#include <gtest/gtest.h>

#include <bit>
#include <cfloat>
#include <cstdint>
#include <string>

namespace {

float_token libc(const std::string& text) {
    return read_float_token_libc(text.data(), text.data() + text.size());
}

float_token fast(const std::string& text) {
    return read_float_token(text.data(), text.data() + text.size());
}

// Tokens as the scanner delimits them: the hard roundings, the edges of float's range, and the
// characters it takes that are no number.
const char* const tokens[] = {
    "0", "-0", "+0", "1", "+1.5", "-2.75", ".5", "5.", "1e3", "1E+3", "-1e-3", "3.4028235e38",
    "3.40282356e38", "3.4028236e38", "-1e39", "1e-38", "1.17549435e-38", "1e-40", "1.4e-45", "7e-46",
    "1e-50", "0.1", "0.3", "16777217", "16777219", "1.00000005960464477539062499",
    "1.000000059604644775390625", "1.00000005960464477539062501", "123456789012345678901234567890",
    "0.000000000000000000000000000000000000000000000000000000000000000000000000000000001e80",
    "", "-", "+", ".", "-.", "1e", "1e+", "e5",
};

TEST(FloatToken, TheLibcWayGivesTheStreamsValueAndFailureBitForBit) {
    for (const char* text : tokens) {
        const float_token expected = fast(text);
        const float_token got = libc(text);
        EXPECT_EQ(got.ok, expected.ok) << '"' << text << '"';
        EXPECT_EQ(std::bit_cast<std::uint32_t>(got.value), std::bit_cast<std::uint32_t>(expected.value))
            << '"' << text << "\": " << got.value << " against " << expected.value;
    }
}

TEST(FloatToken, PinnedValues) {
    struct row {
        const char* text;
        float value;
        bool ok;
    };
    const row rows[] = {
        {"+1.5", 1.5f, true},
        {"16777217", 16777216.0f, true},
        {"1.000000059604644775390625", 1.0f, true},
        {"1.00000005960464477539062501", 1.00000012f, true},
        {"1e39", FLT_MAX, false},
        {"-1e39", -FLT_MAX, false},
        {"1e-50", 0.0f, true},
        {"1e+", 0.0f, false},
        {".", 0.0f, false},
        {"", 0.0f, false},
    };
    for (const row& r : rows) {
        const float_token got = libc(r.text);
        EXPECT_EQ(got.value, r.value) << r.text;
        EXPECT_EQ(got.ok, r.ok) << r.text;
    }
    EXPECT_EQ(std::bit_cast<std::uint32_t>(libc("1.4e-45").value), 1u);
}

} // namespace
