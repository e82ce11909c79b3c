#pragma once
// Runs a program as a child process with extra environment variables, its standard output and error
// captured to files, and waits for it with a deadline.

#include <chrono>
#include <filesystem>
#include <map>
#include <string>
#include <vector>

#include <sys/types.h>

namespace test_support {

class child_process {
public:
    // Starts `program` with `args` in `cwd`; env entries are added to (or replace) the inherited ones.
    child_process(const std::string& program, const std::vector<std::string>& args,
                  const std::filesystem::path& cwd, const std::map<std::string, std::string>& env = {});
    ~child_process(); // kills the child if it still runs
    child_process(const child_process&) = delete;
    child_process& operator=(const child_process&) = delete;

    // Waits until the child ends or the deadline passes; true when it ended.
    bool wait(std::chrono::milliseconds deadline);
    bool running();
    // Exit status; -1 while running; 128 + signal number when killed by a signal.
    int status() const { return exit_status; }
    pid_t pid() const { return child; }
    // The child's peak resident memory in KiB, once it has ended (and been waited for); 0 before.
    long peak_memory_kib() const { return peak_kib; }

    std::string out() const; // everything written to standard output so far
    std::string err() const; // everything written to standard error so far

    // Polls `condition` every 20 ms until it holds or the deadline passes.
    template <typename Condition>
    static bool eventually(Condition condition, std::chrono::milliseconds deadline) {
        const auto end = std::chrono::steady_clock::now() + deadline;
        while (std::chrono::steady_clock::now() < end) {
            if (condition()) return true;
            pause();
        }
        return condition();
    }

private:
    static void pause();
    void reap(int wait_status);

    pid_t child = -1;
    int exit_status = -1;
    long peak_kib = 0;
    std::filesystem::path out_file;
    std::filesystem::path err_file;
};

} // namespace test_support
