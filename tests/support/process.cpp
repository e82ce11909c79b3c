#include "support/process.hpp"

#include "support/temp_dir.hpp"

#include <csignal>
#include <cstdlib>
#include <stdexcept>
#include <thread>

#include <fcntl.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

namespace test_support {

child_process::child_process(const std::string& program, const std::vector<std::string>& args,
                             const std::filesystem::path& cwd, const std::map<std::string, std::string>& env) {
    static int serial = 0;
    const auto stem = std::filesystem::temp_directory_path() /
                      ("engine-child-" + std::to_string(getpid()) + "-" + std::to_string(serial++));
    out_file = stem.string() + ".out";
    err_file = stem.string() + ".err";

    std::vector<std::string> argv_text{program};
    argv_text.insert(argv_text.end(), args.begin(), args.end());
    child = fork();
    if (child < 0) throw std::runtime_error("child_process: fork failed");
    if (child == 0) {
        const int out = open(out_file.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
        const int err = open(err_file.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
        if (out < 0 || err < 0 || dup2(out, 1) < 0 || dup2(err, 2) < 0) _exit(126);
        if (chdir(cwd.c_str()) != 0) _exit(126);
        for (const auto& [key, value] : env) setenv(key.c_str(), value.c_str(), 1);
        std::vector<char*> argv;
        for (auto& a : argv_text) argv.push_back(a.data());
        argv.push_back(nullptr);
        execvp(argv[0], argv.data());
        _exit(127);
    }
}

child_process::~child_process() {
    if (running()) {
        kill(child, SIGKILL);
        wait(std::chrono::seconds(10));
    }
    std::error_code ignored;
    std::filesystem::remove(out_file, ignored);
    std::filesystem::remove(err_file, ignored);
}

void child_process::reap(int wait_status) {
    if (WIFEXITED(wait_status)) exit_status = WEXITSTATUS(wait_status);
    else if (WIFSIGNALED(wait_status)) exit_status = 128 + WTERMSIG(wait_status);
}

bool child_process::running() {
    if (exit_status >= 0 || child <= 0) return false;
    int wait_status = 0;
    struct rusage usage {};
    const pid_t r = wait4(child, &wait_status, WNOHANG, &usage);
    if (r == child) {
        peak_kib = usage.ru_maxrss;
        reap(wait_status);
        return false;
    }
    return r == 0;
}

bool child_process::wait(std::chrono::milliseconds deadline) {
    return eventually([this] { return !running(); }, deadline);
}

void child_process::pause() { std::this_thread::sleep_for(std::chrono::milliseconds(20)); }

std::string child_process::out() const { return read_file(out_file); }
std::string child_process::err() const { return read_file(err_file); }

} // namespace test_support
