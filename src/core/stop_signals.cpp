#include "core/stop_signals.hpp"

#include <atomic>
#include <cstdint>
#include <initializer_list>

#include <signal.h>
#include <time.h>

namespace stop_signals {

namespace {

// Written by the handler, so lock-free by requirement.
std::atomic<int> received{0};
static_assert(std::atomic<int>::is_always_lock_free);
// CLOCK_MONOTONIC nanoseconds of the first stop signal since `install`; 0 before it.
std::atomic<std::int64_t> first_at{0};
static_assert(std::atomic<std::int64_t>::is_always_lock_free);

std::int64_t monotonic_ns() {
    timespec now{};
    clock_gettime(CLOCK_MONOTONIC, &now); // async-signal-safe
    // Never 0, which stands for "no signal yet".
    return static_cast<std::int64_t>(now.tv_sec) * 1000000000 + now.tv_nsec + 1;
}

extern "C" void on_stop_signal(int signal) {
    const std::int64_t now = monotonic_ns();
    std::int64_t first = 0;
    if (first_at.compare_exchange_strong(first, now) || now - first <= insist_after_ns) {
        // The first signal, or a copy of it: `timeout` and a kill of a process group send one to the
        // program and one to its group, which arrive a moment apart.
        received.store(signal, std::memory_order_relaxed);
        return;
    }
    // Asked again well after the first: the shutdown hangs. The default action ends the process once
    // this handler returns (the signal is blocked until then).
    struct sigaction fallback {};
    fallback.sa_handler = SIG_DFL;
    sigemptyset(&fallback.sa_mask);
    sigaction(signal, &fallback, nullptr);
    raise(signal);
}

} // namespace

void install() {
    received.store(0);
    first_at.store(0);
    struct sigaction action {};
    action.sa_handler = &on_stop_signal;
    sigemptyset(&action.sa_mask);
    // Both stop signals are held off while the handler runs, so that two copies are judged in turn.
    sigaddset(&action.sa_mask, SIGINT);
    sigaddset(&action.sa_mask, SIGTERM);
    action.sa_flags = SA_RESTART;
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
