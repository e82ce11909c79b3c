// x_close: closes a window the way a user's desktop does, with a WM_DELETE_WINDOW request, or reports
// where it is.
//   x_close [--wait SECONDS] [--where] TITLE
// --wait waits up to SECONDS for a window of that title to appear; --where prints its geometry as
// WIDTHxHEIGHT+X+Y (for cropping a screenshot) instead of closing it.
// Exit status: 0 done, 1 no such window (or no display), 2 bad command line.

#include "x_close/x_window.hpp"

#include <chrono>
#include <cstdlib>
#include <iostream>
#include <string>
#include <thread>

int main(int argc, char** argv) {
    double wait_seconds = 0.0;
    bool where = false;
    std::string title;
    bool have_title = false;
    for (int i = 1; i < argc; ++i) {
        const std::string arg = argv[i];
        if (arg == "--wait" && i + 1 < argc) {
            char* end = nullptr;
            wait_seconds = std::strtod(argv[++i], &end);
            if (*end != '\0' || !(wait_seconds >= 0.0)) {
                std::cerr << "x_close: --wait wants seconds\n";
                return 2;
            }
        } else if (arg == "--where") {
            where = true;
        } else if (!have_title && arg.rfind("--", 0) != 0) {
            title = arg;
            have_title = true;
        } else {
            std::cerr << "usage: x_close [--wait SECONDS] [--where] TITLE\n";
            return 2;
        }
    }
    if (!have_title) {
        std::cerr << "usage: x_close [--wait SECONDS] [--where] TITLE\n";
        return 2;
    }

    const auto deadline = std::chrono::steady_clock::now() + std::chrono::duration<double>(wait_seconds);
    while (x_window::find(title) == 0 && std::chrono::steady_clock::now() < deadline) {
        std::this_thread::sleep_for(std::chrono::milliseconds(50));
    }
    if (where) {
        const auto p = x_window::place(title);
        if (!p) {
            std::cerr << "x_close: no window titled '" << title << "'\n";
            return 1;
        }
        std::cout << p->width << 'x' << p->height << '+' << p->x << '+' << p->y << '\n';
        return 0;
    }
    if (!x_window::request_close(title)) {
        std::cerr << "x_close: no window titled '" << title << "'\n";
        return 1;
    }
    return 0;
}
