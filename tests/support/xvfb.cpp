#include "support/xvfb.hpp"

#include <cerrno>
#include <csignal>
#include <cstdlib>
#include <string>

#include <fcntl.h>
#include <sys/prctl.h>
#include <sys/wait.h>
#include <unistd.h>

namespace test_support {

int start_xvfb(pid_t& server_pid) {
    int fds[2];
    if (pipe(fds) != 0) return -1;
    const pid_t parent = getpid();
    const pid_t pid = fork();
    if (pid < 0) return -1;
    if (pid == 0) {
        // The server dies with its test: a crashed test must not leave it running, holding ctest's pipe
        // (ctest waits for every writer of a test's output to go, so it would wait forever).
        if (prctl(PR_SET_PDEATHSIG, SIGTERM) != 0 || getppid() != parent) _exit(126);
        // Nothing of the test's: no standard streams (the server's chatter goes to /dev/null) and no other
        // inherited descriptor but the pipe, moved to 3.
        const int display_fd = fcntl(fds[1], F_DUPFD, 10); // clear of the numbers about to be reused
        const int null = open("/dev/null", O_RDWR);
        if (display_fd < 0 || null < 0 || dup2(null, 0) < 0 || dup2(null, 1) < 0 || dup2(null, 2) < 0 ||
            dup2(display_fd, 3) < 0)
            _exit(126);
        close_range(4, ~0U, 0);
        execlp("Xvfb", "Xvfb", "-displayfd", "3", "-screen", "0", "1280x1024x24", "-nolisten", "tcp",
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
