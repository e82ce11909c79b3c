#pragma once
// Talking to the X server the way a user's desktop would: find a top-level window by its title and
// ask it to close with a WM_DELETE_WINDOW request.

#include <string>

namespace test_support {

// The X id of the first window titled exactly `title` on $DISPLAY, or 0.
unsigned long find_window(const std::string& title);

// Sends WM_PROTOCOLS/WM_DELETE_WINDOW to the window titled `title`; false when there is none.
bool request_close(const std::string& title);

} // namespace test_support
