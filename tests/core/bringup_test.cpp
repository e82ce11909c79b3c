#define SDL_MAIN_HANDLED
#include "core/core_module.hpp"
#include "core/monitor_report.hpp"
#include "support/core_under_test.hpp"
#include "support/temp_dir.hpp"
#include "support/xvfb.hpp"

#include <GLFW/glfw3.h>
#include <SDL.h>
#include <gtest/gtest.h>

#include <cstdlib>
#include <sstream>

#include <sys/wait.h>
#include <unistd.h>

static auto* const xvfb = ::testing::AddGlobalTestEnvironment(new test_support::xvfb_environment);

namespace {

// The lines of a test.log with the "[time]    LEVEL: " prefix and continuation indent removed.
std::vector<std::string> messages_of(const std::string& log) {
    std::vector<std::string> lines;
    std::istringstream in(log);
    for (std::string line; std::getline(in, line);) {
        const auto colon = line.find(": ");
        lines.push_back(line.rfind("[", 0) == 0 && colon != std::string::npos
                            ? line.substr(colon + 2)
                            : line.substr(line.find_first_not_of(' ')));
    }
    return lines;
}

// Runs in a forked child without any display, so no thread of this process is involved.
TEST(Bringup, WithoutADisplayTheCoreModuleFailsAndKeepsItsRecords) {
    test_support::temp_dir dir;
    int pipe_fds[2];
    ASSERT_EQ(pipe(pipe_fds), 0);
    const pid_t child = fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
        close(pipe_fds[0]);
        unsetenv("DISPLAY");
        unsetenv("WAYLAND_DISPLAY");
        std::string what = "<constructed>";
        if (chdir(dir.path().c_str()) != 0) _exit(2);
        try {
            core_module core;
        } catch (const core_module::core_error& e) {
            what = e.what();
        }
        if (write(pipe_fds[1], what.data(), what.size()) < 0) _exit(3);
        _exit(0);
    }
    close(pipe_fds[1]);
    std::string what;
    char buffer[256];
    for (ssize_t n; (n = read(pipe_fds[0], buffer, sizeof buffer)) > 0;)
        what.append(buffer, static_cast<std::size_t>(n));
    close(pipe_fds[0]);
    int status = 0;
    waitpid(child, &status, 0);
    ASSERT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0);
    EXPECT_EQ(what, "core_module::core_module(): display_manager::init(): GLFW initialization failed.");

    const auto lines = messages_of(test_support::read_file(dir.path() / "test.log"));
    const auto has = [&](const std::string& text) {
        return std::find(lines.begin(), lines.end(), text) != lines.end();
    };
    EXPECT_TRUE(has("Initializing GLFW...")) << testing::PrintToString(lines);
    EXPECT_TRUE(has("Terminating GLFW..."));
    for (const auto& line : lines) {
        EXPECT_EQ(line.find("Platform has"), std::string::npos);
        EXPECT_EQ(line.find("Audio device"), std::string::npos);
    }
}

TEST(Bringup, StartupReportInTestLogInOrder) {
    std::vector<std::string> expected{"Initializing GLFW...", "Platform has 1 monitors."};
    {
        test_support::core_under_test core;
        int count = 0;
        GLFWmonitor** handles = glfwGetMonitors(&count);
        ASSERT_EQ(count, 1);
        int width = 0, height = 0;
        glfwGetMonitorPhysicalSize(handles[0], &width, &height);
        const std::string name = glfwGetMonitorName(handles[0]);
        expected.push_back("Monitor #0 '" + name + "' - size: " + std::to_string(width) + " x " +
                           std::to_string(height) + " mm");
        expected.push_back("Primary monitor: '" + std::string(glfwGetMonitorName(glfwGetPrimaryMonitor())) +
                           "'");
        expected.push_back("Initializing SDL_Audio...");
        ASSERT_EQ(SDL_GetNumAudioDevices(0), 1);
        expected.push_back(std::string("Audio device #1: ") + SDL_GetAudioDeviceName(0, 0));
        core.shut_down();

        auto lines = messages_of(core.test_log());
        const auto first = std::find(lines.begin(), lines.end(), expected.front());
        ASSERT_NE(first, lines.end());
        // The report and the device listing follow GLFW's start directly; debug records of the logger
        // attachment may come earlier.
        const std::vector<std::string> got(first, first + std::min<std::ptrdiff_t>(lines.end() - first, 6));
        EXPECT_EQ(got, expected);
        const auto shutdown = std::find_if(lines.begin(), lines.end(), [](const std::string& l) {
            return l.rfind("Core shutdown at ", 0) == 0;
        });
        ASSERT_NE(shutdown, lines.end());
        EXPECT_EQ(std::count(lines.begin(), lines.end(), "Terminating GLFW..."), 1);
        EXPECT_LT(shutdown - lines.begin(),
                  std::find(lines.begin(), lines.end(), "Terminating GLFW...") - lines.begin());
    }
}

TEST(Bringup, MonitorReportListsEveryRecordAndOmitsAnUnknownPrimary) {
    test_support::core_under_test core;
    const monitor& only = display_manager::monitors.front();
    const std::string line = "Monitor #0 '" + only.name +
                             "' - size: " + std::to_string(only.physical_size.x) + " x " +
                             std::to_string(only.physical_size.y) + " mm\n";
    EXPECT_EQ(monitor_report(display_manager::monitors, nullptr), "Platform has 1 monitors.\n" + line);

    std::list<monitor> two{only, only};
    two.back().name = "second";
    EXPECT_EQ(monitor_report(two, &two.back()),
              "Platform has 2 monitors.\n" + line +
                  "Monitor #1 'second' - size: " + std::to_string(only.physical_size.x) + " x " +
                  std::to_string(only.physical_size.y) + " mm\nPrimary monitor: 'second'");
}

} // namespace
