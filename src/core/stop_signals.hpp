#pragma once

// SIGINT and SIGTERM ask the program to stop the way closing its window does. The handler only records
// the signal; the frame loop's update turns it into every open window's close request. The handler is
// one-shot: a second signal during the shutdown takes the default action and ends the process at once.
namespace stop_signals {

// Installs the handler for SIGINT and SIGTERM (unless the signal is ignored, as in a background job of a
// script) and forgets any earlier signal.
void install();
// The signal received since `install` (SIGINT or SIGTERM), reported once; 0 otherwise.
int take();
// "SIGINT" or "SIGTERM" for messages; "a signal" for any other.
const char* name(int signal);

} // namespace stop_signals
