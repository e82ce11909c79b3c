#include "logger/file_logger.hpp"
#include "logger/log_manager.hpp"
#include "logger/ostream_logger.hpp"
#include "support/temp_dir.hpp"

#include <gtest/gtest.h>

#include <filesystem>
#include <sstream>

namespace {

using logger::level;
using test_support::read_file;
using test_support::temp_dir;

TEST(FileLogger, TruncatesAnExistingFileAndFlushesEveryRecord) {
    temp_dir dir;
    const auto path = dir.write("test.log", "left over from an earlier run\n");
    logger::file_logger file(path.string(), level::info);
    file.log({1.0, level::debug, "filtered"});
    file.log({2.0, level::info, "kept"});
    // Flushed per record: complete while the logger is still open.
    EXPECT_EQ(read_file(path), "[    2.000000]     INFO: kept\n");
}

TEST(FileLogger, PathInAMissingFolderWritesNothingAndFailsNothing) {
    temp_dir dir;
    const auto path = dir.path() / "missing" / "test.log";
    {
        logger::file_logger file(path.string(), level::debug);
        file.log({1.0, level::critical, "nowhere"});
    }
    EXPECT_FALSE(std::filesystem::exists(path));
}

// The application's pair: the console at info, the file at debug.
TEST(FileLogger, ConsoleAtInfoAndFileAtDebug) {
    temp_dir dir;
    const auto path = dir.path() / "test.log";
    std::ostringstream console;
    {
        logger::log_manager manager([] { return 0.25; });
        manager.add_logger(std::make_unique<logger::ostream_logger>(console, level::info));
        manager.add_logger(std::make_unique<logger::file_logger>(path.string(), level::debug));
        manager.debug("tracing");
        manager.info("progress\nsecond line");
    }
    const std::string info_record = "[    0.250000]     INFO: progress\n" + std::string(25, ' ') + "second line\n";
    EXPECT_EQ(console.str(), info_record);
    const std::string file = read_file(path);
    const std::string tail = "[    0.250000]    DEBUG: tracing\n" + info_record;
    ASSERT_GE(file.size(), tail.size());
    EXPECT_EQ(file.substr(file.size() - tail.size()), tail);
    // Its own insertion record is queued after it is attached, so the file always has it.
    EXPECT_NE(file.find("Logger inserted. Filter level: Debug\n"), std::string::npos);
}

} // namespace
