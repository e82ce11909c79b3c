#include "core/core_module.hpp"
#include "core/time_stamp.hpp"
#include "support/capture_logger.hpp"
#include "support/temp_dir.hpp"
#include "support/xvfb.hpp"

#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <fstream>
#include <optional>
#include <regex>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

#include <sys/resource.h>

static auto* const xvfb = ::testing::AddGlobalTestEnvironment(new test_support::xvfb_environment);

namespace {

using test_support::scoped_cwd;
using test_support::temp_dir;

// ctime's text for a nanosecond epoch count, without its line break, built independently of the engine.
std::string local_time_text(std::int64_t epoch_ns) {
    const std::time_t seconds = static_cast<std::time_t>(epoch_ns / 1000000000);
    std::tm local{};
    localtime_r(&seconds, &local);
    char text[64];
    std::strftime(text, sizeof text, "%a %b %e %H:%M:%S %Y", &local);
    return text;
}

std::vector<std::string> lines_of(const std::string& text) {
    std::vector<std::string> lines;
    std::istringstream in(text);
    for (std::string line; std::getline(in, line);) lines.push_back(line);
    return lines;
}

// A record's first line: "[" time in 12 characters "] " 8-character tag ": " text.
struct record_line {
    double time;
    std::string tag_and_text;
};

std::optional<record_line> parse(const std::string& line) {
    static const std::regex shape(R"(\[( *[0-9]+\.[0-9]{6})\] ( {0,4}[A-Z]{4,8}: .*))");
    std::smatch match;
    if (!std::regex_match(line, match, shape) || match[1].length() < 12 || match[2].str().find(':') != 8)
        return std::nullopt;
    return record_line{std::stod(match[1]), match[2]};
}

TEST(CoreModule, ClockStartsAtConstructionAndAdvances) {
    temp_dir dir;
    scoped_cwd cwd(dir.path());
    const std::int64_t before = system_clock_ns();
    core_module core;
    const double first = core.time();
    const std::int64_t after = system_clock_ns();
    EXPECT_LE(before, core.start_time);
    EXPECT_LE(core.start_time, after);
    EXPECT_GE(first, 0.0);
    EXPECT_LE(first, static_cast<double>(after - core.start_time) / 1e9 + 1e-6);
    std::this_thread::sleep_for(std::chrono::milliseconds(20));
    EXPECT_GT(core.time(), first);
}

TEST(CoreModule, ResetClockAndTheStartAndShutdownRecords) {
    temp_dir dir;
    auto log = std::make_shared<test_support::capture_log>();
    std::int64_t start = 0;
    std::int64_t before_shutdown = 0;
    double before_reset = 0;
    {
        scoped_cwd cwd(dir.path());
        core_module core;
        start = core.start_time;
        core.log_manager.add_logger(std::make_unique<test_support::capture_logger>(log, logger::level::debug));
        std::this_thread::sleep_for(std::chrono::milliseconds(50));
        before_reset = core.time();
        core.reset_clock();
        const double after_reset = core.time();
        EXPECT_GE(after_reset, 0.0);
        EXPECT_LT(after_reset, before_reset);
        EXPECT_GT(core.start_time, start);
        ASSERT_TRUE(log->wait_for_message("Core clock reset!"));
        before_shutdown = system_clock_ns();
    }
    const std::int64_t after_shutdown = system_clock_ns();

    // The reset record carries the time on the old origin.
    int resets = 0;
    for (const auto& entry : log->records()) {
        if (entry.record.message != "Core clock reset!") continue;
        ++resets;
        EXPECT_GE(entry.record.time, before_reset);
        EXPECT_EQ(entry.record.level, logger::level::info);
    }
    EXPECT_EQ(resets, 1);

    const auto lines = lines_of(test_support::read_file(dir.path() / "test.log"));
    ASSERT_FALSE(lines.empty());
    std::vector<record_line> records;
    for (const auto& line : lines) {
        if (line.starts_with(' ')) continue; // continuation line of a multi-line record
        const auto record = parse(line);
        ASSERT_TRUE(record) << "not a record line: " << line;
        records.push_back(*record);
    }
    EXPECT_EQ(std::count_if(records.begin(), records.end(),
                            [](const record_line& r) { return r.tag_and_text == "    INFO: Core clock reset!"; }),
              1);

    // The shutdown record is stamped with the local time of a second during destruction; services torn
    // down after it may still log.
    const std::string shutdown = "    INFO: Core shutdown at ";
    const auto is_shutdown = [&](const record_line& r) { return r.tag_and_text.starts_with(shutdown); };
    ASSERT_EQ(std::count_if(records.begin(), records.end(), is_shutdown), 1);
    const record_line& last = *std::find_if(records.begin(), records.end(), is_shutdown);
    EXPECT_TRUE(last.tag_and_text == shutdown + local_time_text(before_shutdown) ||
                last.tag_and_text == shutdown + local_time_text(after_shutdown))
        << last.tag_and_text;
    const auto captured = log->records();
    const auto shutdown_record = std::find_if(captured.begin(), captured.end(), [](const auto& entry) {
        return entry.record.message.starts_with("Core shutdown at ");
    });
    ASSERT_NE(shutdown_record, captured.end());
    EXPECT_EQ(shutdown_record->record.message.back(), '\n');
    EXPECT_NEAR(last.time, shutdown_record->record.time, 1e-6);

    // The start record is written only when the log thread takes it after the console logger is attached.
    const std::string init = "    INFO: Core initialization at " + local_time_text(start);
    for (std::size_t i = 0; i < records.size(); ++i) {
        if (!records[i].tag_and_text.starts_with("    INFO: Core initialization at ")) continue;
        EXPECT_EQ(i, 0u);
        EXPECT_EQ(records[i].tag_and_text, init);
        EXPECT_LT(records[i].time, before_reset);
    }
}

TEST(CoreModuleDeathTest, SetUpFailuresBecomeCoreErrors) {
    GTEST_FLAG_SET(death_test_style, "threadsafe");
    // Leave too little address space for the log thread's stack: the log manager cannot start its thread.
    const auto construct_with_little_memory = [] {
        temp_dir dir;
        scoped_cwd cwd(dir.path());
        std::ifstream status("/proc/self/status");
        long kilobytes = 0;
        for (std::string line; std::getline(status, line);) {
            if (line.starts_with("VmSize:")) kilobytes = std::stol(line.substr(7));
        }
        const rlimit limit{static_cast<rlim_t>(kilobytes + 4096) * 1024, RLIM_INFINITY};
        setrlimit(RLIMIT_AS, &limit);
        try {
            core_module core;
        } catch (const core_module::core_error& e) {
            std::fprintf(stderr, "caught <%s>\n", e.what());
            std::fflush(stderr);
            std::_Exit(3);
        }
        std::_Exit(0);
    };
    EXPECT_EXIT(construct_with_little_memory(), ::testing::ExitedWithCode(3),
                "caught <core_module::core_module\\(\\): log_manager::log_manager\\(\\): "
                "Resource temporarily unavailable>");
}

} // namespace
