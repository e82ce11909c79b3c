// The stop signals' handler in a child process that stands for the program: it waits for a stop
// signal, then takes a moment to shut down.

#include "core/stop_signals.hpp"

#include <gtest/gtest.h>

#include <chrono>
#include <csignal>
#include <thread>

#include <sys/wait.h>
#include <unistd.h>

namespace {

using namespace std::chrono_literals;

// Starts a child that installs the handler, says so through a pipe, polls `take` the way the frame loop
// does, and then shuts down for `shutdown` before exiting with status 0.
pid_t start_child(std::chrono::milliseconds shutdown) {
    int ready[2];
    if (pipe(ready) != 0) return -1;
    const pid_t pid = fork();
    if (pid == 0) {
        close(ready[0]);
        stop_signals::install();
        if (write(ready[1], "r", 1) != 1) _exit(126);
        while (stop_signals::take() == 0) std::this_thread::sleep_for(1ms);
        std::this_thread::sleep_for(shutdown);
        _exit(0);
    }
    close(ready[1]);
    char c = 0;
    if (pid > 0 && read(ready[0], &c, 1) != 1) {
        kill(pid, SIGKILL);
        waitpid(pid, nullptr, 0);
        close(ready[0]);
        return -1;
    }
    close(ready[0]);
    return pid;
}

TEST(StopSignals, CopiesArrivingTogetherCountAsOne) {
    for (int run = 0; run < 60; ++run) {
        const int signal = run % 2 == 0 ? SIGTERM : SIGINT;
        SCOPED_TRACE("run " + std::to_string(run));
        const pid_t child = start_child(50ms);
        ASSERT_GT(child, 0);
        // As `timeout` does: one to the program, one to its group, a moment apart (0 to 5 ms).
        ASSERT_EQ(kill(child, signal), 0);
        std::this_thread::sleep_for(std::chrono::milliseconds(run % 6));
        ASSERT_EQ(kill(child, signal), 0);
        int status = 0;
        ASSERT_EQ(waitpid(child, &status, 0), child);
        ASSERT_TRUE(WIFEXITED(status)) << "ended by signal " << (WIFSIGNALED(status) ? WTERMSIG(status) : 0);
        EXPECT_EQ(WEXITSTATUS(status), 0);
    }
}

TEST(StopSignals, ASignalWellAfterTheFirstEndsAHangingShutdown) {
    const pid_t child = start_child(60s);
    ASSERT_GT(child, 0);
    ASSERT_EQ(kill(child, SIGINT), 0);
    std::this_thread::sleep_for(1500ms);
    int status = 0;
    ASSERT_EQ(waitpid(child, &status, WNOHANG), 0) << "the first signal asks; it does not end the process";
    ASSERT_EQ(kill(child, SIGINT), 0);
    const auto give_up = std::chrono::steady_clock::now() + 10s;
    pid_t ended = 0;
    while ((ended = waitpid(child, &status, WNOHANG)) == 0 && std::chrono::steady_clock::now() < give_up)
        std::this_thread::sleep_for(10ms);
    if (ended == 0) {
        kill(child, SIGKILL);
        waitpid(child, &status, 0);
        FAIL() << "the second signal did not end the hanging shutdown";
    }
    ASSERT_TRUE(WIFSIGNALED(status));
    EXPECT_EQ(WTERMSIG(status), SIGINT);
}

} // namespace
