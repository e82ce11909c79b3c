#include "logger/ostream_logger.hpp"

#include <gtest/gtest.h>

#include <iomanip>
#include <sstream>

namespace {

std::string format(double time, logger::level lvl, const std::string& message) {
    std::ostringstream out;
    logger::ostream_logger writer(out, logger::level::debug);
    writer.write({time, lvl, message});
    return out.str();
}

TEST(RecordFormat, SingleLine) {
    EXPECT_EQ(format(0.5, logger::level::info, "Music stopped."), "[    0.500000]     INFO: Music stopped.\n");
}

TEST(RecordFormat, ContinuationLinesAreIndentedToThePrefix) {
    EXPECT_EQ(format(12.25, logger::level::warning, "first\nsecond"),
              "[   12.250000]  WARNING: first\n" + std::string(25, ' ') + "second\n");
}

TEST(RecordFormat, EmptyPiecesAreDropped) {
    EXPECT_EQ(format(1, logger::level::error, ""), "[    1.000000]    ERROR: \n");
    EXPECT_EQ(format(1, logger::level::error, "\n\n"), "[    1.000000]    ERROR: \n");
    EXPECT_EQ(format(1, logger::level::debug, "\na\n\nb\n"),
              "[    1.000000]    DEBUG: a\n" + std::string(25, ' ') + "b\n");
}

TEST(RecordFormat, CarriageReturnStaysInItsLine) {
    EXPECT_EQ(format(2, logger::level::critical, "x\r\ny"),
              "[    2.000000] CRITICAL: x\r\n" + std::string(25, ' ') + "y\n");
}

TEST(RecordFormat, LongTimesWidenPrefixAndIndent) {
    const std::string out = format(123456789.5, logger::level::info, "a\nb");
    EXPECT_EQ(out, "[123456789.500000]     INFO: a\n" + std::string(29, ' ') + "b\n");
}

TEST(RecordFormat, LevelOutsideTheTableHasAnEmptyTag) {
    EXPECT_EQ(format(0, static_cast<logger::level>(5), "a\nb"),
              "[    0.000000] : a\n" + std::string(17, ' ') + "b\n");
}

TEST(RecordFormat, TargetStreamStateIsRestored) {
    std::ostringstream out;
    out << std::scientific << std::setprecision(3);
    out.width(17);
    const auto flags = out.flags();
    logger::ostream_logger writer(out, logger::level::debug);
    writer.write({3.0, logger::level::info, "one\ntwo"});
    EXPECT_EQ(out.flags(), flags);
    EXPECT_EQ(out.precision(), 3);
    EXPECT_EQ(out.width(), 17);
    EXPECT_EQ(out.str(), "[    3.000000]     INFO: one\n" + std::string(25, ' ') + "two\n");
}

} // namespace
