#pragma once

// SIGINT and SIGTERM ask the program to stop the way closing its window does. The handler only records
// the signal; the frame loop's update turns it into every open window's close request. Stop signals
// within `insist_after_ns` of the first are copies of it (a `timeout` or a group kill sends two); one
// later than that (Ctrl+C pressed again while the shutdown hangs) takes the default action and ends the
// process at once.
#include <cstdint>

namespace stop_signals {

inline constexpr std::int64_t insist_after_ns = 1'000'000'000;

// Installs the handler for SIGINT and SIGTERM (unless the signal is ignored, as in a background job of a
// script) and forgets any earlier signal.
void install();
// The signal received since `install` (SIGINT or SIGTERM), reported once; 0 otherwise.
int take();
// "SIGINT" or "SIGTERM" for messages; "a signal" for any other.
const char* name(int signal);

} // namespace stop_signals
