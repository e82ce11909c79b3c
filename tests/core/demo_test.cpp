#include "support/temp_dir.hpp"
#include "support/xvfb.hpp"

#include <gtest/gtest.h>

#include <chrono>
#include <csignal>
#include <cstdlib>
#include <fcntl.h>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

#include <sys/wait.h>
#include <unistd.h>

static auto* const xvfb = ::testing::AddGlobalTestEnvironment(new test_support::xvfb_environment);

namespace {

using test_support::read_file;
using test_support::temp_dir;

struct run_result {
    int exit_code = -1;
    std::string standard_error;
};

// Runs the demo program in `run_dir` with its standard error going to `error_file`.
run_result run_demo(const std::filesystem::path& run_dir, const std::filesystem::path& error_file) {
    const pid_t pid = fork();
    if (pid == 0) {
        const int err = open(error_file.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
        const int null = open("/dev/null", O_RDWR);
        if (err < 0 || null < 0 || chdir(run_dir.c_str()) != 0) _exit(126);
        dup2(null, 0);
        dup2(null, 1);
        dup2(err, 2);
        setenv("SDL_AUDIODRIVER", "dummy", 1);
        execl(ENGINE_BINARY_DIR "/demo", "demo", static_cast<char*>(nullptr));
        _exit(127);
    }
    run_result result;
    if (pid < 0) return result;
    // A guard against a hanging program, not a time limit on the test: a minute is far beyond a normal run.
    int status = 0;
    const auto give_up = std::chrono::steady_clock::now() + std::chrono::seconds(60);
    while (waitpid(pid, &status, WNOHANG) == 0) {
        if (std::chrono::steady_clock::now() > give_up) {
            kill(pid, SIGKILL);
            waitpid(pid, &status, 0);
            ADD_FAILURE() << "demo did not finish";
            break;
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    if (WIFEXITED(status)) result.exit_code = WEXITSTATUS(status);
    result.standard_error = read_file(error_file);
    return result;
}

std::vector<std::string> lines_containing(const std::string& text, const std::string& needle) {
    std::vector<std::string> found;
    std::istringstream in(text);
    for (std::string line; std::getline(in, line);) {
        if (line.find(needle) != std::string::npos) found.push_back(line);
    }
    return found;
}

TEST(Demo, RunsInAnEmptyFolderAndLogsToTheConsoleAndTestLog) {
    // Repeated because the records of the start-up once depended on when the log thread ran.
    for (int attempt = 0; attempt < 20; ++attempt) {
        SCOPED_TRACE("run " + std::to_string(attempt));
        temp_dir run_dir;
        temp_dir output;
        const run_result run = run_demo(run_dir.path(), output.path() / "stderr.txt");
        const std::string test_log = read_file(run_dir.path() / "test.log");

        // The program stops at the player's first step: there is no config.ini here.
        ASSERT_EQ(run.exit_code, 1) << run.standard_error;
        EXPECT_TRUE(run.standard_error.ends_with("\nconfig_manager::load(): config.ini: cannot open file\n"))
            << run.standard_error;
        EXPECT_EQ(lines_containing(test_log, "     INFO: Loading configuration options from 'config.ini'...")
                      .size(),
                  1u)
            << test_log;

        // The start record, submitted before the loggers are attached, and the shutdown record reach both.
        for (const char* record : {"     INFO: Core initialization at ", "     INFO: Core shutdown at "}) {
            const auto on_console = lines_containing(run.standard_error, record);
            ASSERT_EQ(on_console.size(), 1u) << record << '\n' << run.standard_error;
            EXPECT_EQ(lines_containing(test_log, record), on_console) << test_log;
        }
        EXPECT_TRUE(test_log.starts_with("[    0.")) << test_log;
        EXPECT_NE(test_log.find("Core initialization at "), std::string::npos);
        EXPECT_LT(test_log.find("Core initialization at "),
                  test_log.find("Logger inserted. Filter level: Info"));
        // Only debug records are kept out of the console.
        EXPECT_TRUE(lines_containing(run.standard_error, "   DEBUG: ").empty());
        EXPECT_EQ(lines_containing(test_log, "Logger inserted. Filter level: Info").size(), 1u) << test_log;
        EXPECT_EQ(lines_containing(test_log, "Logger inserted. Filter level: Debug").size(), 1u) << test_log;
    }
}

} // namespace
