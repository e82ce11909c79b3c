#pragma once
// The tests find and close windows with the same code as the x_close tool (tools/x_close/x_window.hpp).

#include "x_close/x_window.hpp"

#include <string>

namespace test_support {

// The X id of the first window titled exactly `title` on $DISPLAY, or 0.
inline unsigned long find_window(const std::string& title) {
    return x_window::find(title);
}

// Sends WM_PROTOCOLS/WM_DELETE_WINDOW to the window titled `title`; false when there is none.
inline bool request_close(const std::string& title) {
    return x_window::request_close(title);
}

// The same for the window of that X id.
inline bool request_close(unsigned long window) {
    return x_window::request_close(window);
}

} // namespace test_support
