#pragma once
// Talking to the X server the way a user's desktop would: find a top-level window by its title and ask it
// to close with a WM_DELETE_WINDOW request. Both use $DISPLAY.

#include <optional>
#include <string>

namespace x_window {

// The X id of the first window titled exactly `title`, or 0 (also when there is no display).
unsigned long find(const std::string& title);

// Where the window titled `title` shows on the screen: its size and its position relative to the root
// window, or nothing when there is no such window.
struct placement {
    int x;
    int y;
    unsigned width;
    unsigned height;
};
std::optional<placement> place(const std::string& title);

// Sends WM_PROTOCOLS/WM_DELETE_WINDOW to the window titled `title`; false when there is none.
bool request_close(const std::string& title);
// The same for the window of that X id (one whose title changes); false without a display.
bool request_close(unsigned long window);

} // namespace x_window
