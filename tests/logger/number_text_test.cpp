#include "logger/number_text.hpp"

#include <gtest/gtest.h>

#include <bit>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <limits>
#include <optional>
#include <string>

namespace {

const double values[] = {
    0.0, -0.0, 1.0, -1.0, 0.1, 0.2, 0.3, 1.0 / 3.0, 2.5, 100.0, 123.456, 1e15, 1e16, 1e17, 1e21, 1e22,
    1.5e22, 123456789012345680.0, 0.001, 0.0001, 1e-5, 1e-7, 5e-324, 2.2250738585072014e-308,
    std::numeric_limits<double>::max(), std::numeric_limits<double>::min(), 675.3, 4200.0, 30.000000000000004,
    std::numeric_limits<double>::infinity(), -std::numeric_limits<double>::infinity(), 9007199254740993.0,
};

TEST(NumberText, ShortestThroughLibcIsToCharsText) {
    for (const double v : values)
        EXPECT_EQ(number_text::shortest_libc(v), number_text::shortest(v)) << v;
    EXPECT_EQ(number_text::shortest_libc(std::nan("")), "nan");
}

TEST(NumberText, ShortestPinned) {
    EXPECT_EQ(number_text::shortest(675.3), "675.3");
    EXPECT_EQ(number_text::shortest(0.001), "0.001");
    EXPECT_EQ(number_text::shortest(1e22), "1e+22");
    EXPECT_EQ(number_text::shortest_libc(1e-7), "1e-07");
    EXPECT_EQ(number_text::shortest_libc(123456789012345680.0), "123456789012345680");
}

TEST(NumberText, FixedIsPrintfsFixed) {
    char text[64];
    for (const double v : {0.0, 1.5, 12345.678901234, 1e-9, -2.0000005, 0.0000005}) {
        for (const int precision : {0, 3, 6}) {
            char expected[64];
            std::snprintf(expected, sizeof expected, "%.*f", precision, v);
            const char* end = number_text::fixed(text, text + sizeof text, v, precision);
            ASSERT_NE(end, nullptr);
            EXPECT_EQ(std::string(static_cast<const char*>(text), end), expected) << v << ' ' << precision;
        }
    }
    EXPECT_EQ(number_text::fixed(text, text + 3, 12345.0, 2), nullptr);
}

TEST(NumberText, ParseThroughLibcReadsWhatFromCharsReads) {
    const char* const texts[] = {
        "0", "-0", "1", "0.5", ".5", "5.", "1e3", "1E-3", "-2.5e+2", "inf", "-inf", "nan", "infinity",
        "1e400", "-1e400", "1e-400", "4.9e-324", "2.2250738585072011e-308", "0.30000000000000004",
        "", "-", "+1", " 1", "1 ", "0x10", "-0x1p3", "1e", "1e+", "e1", "--1", "1.2.3", "1f", "\t2",
    };
    for (const char* t : texts) {
        const std::optional<double> expected = number_text::parse(t);
        const std::optional<double> got = number_text::parse_libc(t);
        ASSERT_EQ(got.has_value(), expected.has_value()) << '"' << t << '"';
        if (got && !std::isnan(*got)) {
            EXPECT_EQ(std::bit_cast<std::uint64_t>(*got), std::bit_cast<std::uint64_t>(*expected)) << t;
        }
    }
    EXPECT_EQ(number_text::parse_libc("0.25"), 0.25);
    EXPECT_EQ(number_text::parse_libc("+1"), std::nullopt);
}

} // namespace
