#include "support/xvfb.hpp"

#include <cerrno>
#include <csignal>
#include <cstdlib>
#include <string>

#include <sys/wait.h>
#include <unistd.h>

namespace test_support {

int start_xvfb(pid_t& server_pid) {
    int fds[2];
    if (pipe(fds) != 0) return -1;
    const pid_t pid = fork();
    if (pid < 0) return -1;
    if (pid == 0) {
        close(fds[0]);
        const std::string fd = std::to_string(fds[1]);
        execlp("Xvfb", "Xvfb", "-displayfd", fd.c_str(), "-screen", "0", "1280x1024x24", "-nolisten", "tcp",
               "-noreset", static_cast<char*>(nullptr));
        _exit(127);
    }
    close(fds[1]);
    // Xvfb writes the display number once it accepts connections.
    std::string number;
    char c = 0;
    while (true) {
        const ssize_t n = read(fds[0], &c, 1);
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0 || c == '\n') break;
        number += c;
    }
    close(fds[0]);
    if (number.empty()) {
        kill(pid, SIGTERM);
        waitpid(pid, nullptr, 0);
        return -1;
    }
    server_pid = pid;
    return std::stoi(number);
}

void stop_xvfb(pid_t server_pid) {
    if (server_pid <= 0) return;
    kill(server_pid, SIGTERM);
    waitpid(server_pid, nullptr, 0);
}

void xvfb_environment::SetUp() {
    const char* display = std::getenv("DISPLAY");
    if (display != nullptr && *display != '\0') return;
    const int number = start_xvfb(server);
    ASSERT_GE(number, 0) << "could not start Xvfb (is the xvfb package installed?)";
    setenv("DISPLAY", (":" + std::to_string(number)).c_str(), 1);
}

void xvfb_environment::TearDown() {
    if (server > 0) {
        stop_xvfb(server);
        unsetenv("DISPLAY");
        server = -1;
    }
}

} // namespace test_support
