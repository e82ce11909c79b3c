// The record's time is printed without going through the stream's number formatting; it must read
// exactly as the stream's fixed notation with six decimals in a 12-character field would print it.

#include "logger/ostream_logger.hpp"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <cstring>
#include <iomanip>
#include <limits>
#include <random>
#include <sstream>
#include <string>
#include <vector>

namespace {

std::string written_prefix(double time) {
    std::ostringstream out;
    logger::ostream_logger writer(out, logger::level::debug);
    writer.write({time, logger::level::info, "x"});
    const std::string line = out.str();
    return line.substr(0, line.size() - 2); // without "x\n"
}

std::string stream_prefix(double time) {
    std::ostringstream expected;
    expected.flags(std::ios::fixed);
    expected.precision(6);
    expected << '[' << std::right << std::setw(12) << time << "]     INFO: ";
    return expected.str();
}

} // namespace

TEST(TimeText, ReadsAsTheStreamsFixedNotation) {
    std::vector<double> times = {0.0,
                                 -0.0,
                                 0.5,
                                 0.0000005,
                                 0.0000004999,
                                 0.0000015,
                                 2.5e-7,
                                 12.25,
                                 75.000001,
                                 99999.9999995,
                                 1e15,
                                 -3.25,
                                 123456789.5,
                                 1e300,
                                 -1e-300,
                                 std::numeric_limits<double>::max(),
                                 std::numeric_limits<double>::lowest(),
                                 std::numeric_limits<double>::denorm_min(),
                                 std::numeric_limits<double>::infinity(),
                                 -std::numeric_limits<double>::infinity(),
                                 std::numeric_limits<double>::quiet_NaN(),
                                 -std::numeric_limits<double>::quiet_NaN()};
    std::mt19937_64 rng(3);
    for (int i = 0; i < 20000; ++i) {
        // Run times as a clock gives them, and arbitrary bit patterns.
        times.push_back(std::uniform_real_distribution<double>(0.0, 200.0)(rng));
        const std::uint64_t bits = rng();
        double any;
        std::memcpy(&any, &bits, sizeof any);
        times.push_back(any);
    }
    for (double t : times)
        ASSERT_EQ(written_prefix(t), stream_prefix(t)) << std::hexfloat << t;
}
