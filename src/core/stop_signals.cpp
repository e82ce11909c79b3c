#include "core/stop_signals.hpp"

#include <atomic>

#include <signal.h>

namespace stop_signals {

namespace {

// Written by the handler, so lock-free by requirement.
std::atomic<int> received{0};
static_assert(std::atomic<int>::is_always_lock_free);

extern "C" void on_stop_signal(int signal) {
    received.store(signal, std::memory_order_relaxed);
}

} // namespace

void install() {
    received.store(0);
    struct sigaction action {};
    action.sa_handler = &on_stop_signal;
    sigemptyset(&action.sa_mask);
    // SA_RESETHAND: the next signal ends the process even if the shutdown hangs.
    action.sa_flags = SA_RESTART | SA_RESETHAND;
    for (const int signal : {SIGINT, SIGTERM}) {
        // A signal the parent set to be ignored (a background job of a script) stays ignored.
        struct sigaction previous {};
        if (sigaction(signal, nullptr, &previous) == 0 && previous.sa_handler == SIG_IGN) continue;
        sigaction(signal, &action, nullptr);
    }
}

int take() {
    return received.exchange(0, std::memory_order_relaxed);
}

const char* name(int signal) {
    switch (signal) {
    case SIGINT:
        return "SIGINT";
    case SIGTERM:
        return "SIGTERM";
    default:
        return "a signal";
    }
}

} // namespace stop_signals
