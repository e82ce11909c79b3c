#include "x_close/x_window.hpp"

#include <X11/Xatom.h>
#include <X11/Xlib.h>
#include <X11/Xutil.h>

#include <memory>

namespace x_window {
namespace {

struct display_closer {
    void operator()(Display* d) const { XCloseDisplay(d); }
};
using display_ptr = std::unique_ptr<Display, display_closer>;

std::string window_title(Display* d, Window w) {
    XTextProperty property{};
    if (XGetWMName(d, w, &property) == 0 || property.value == nullptr) return {};
    std::string title(reinterpret_cast<const char*>(property.value), property.nitems);
    XFree(property.value);
    return title;
}

Window search(Display* d, Window w, const std::string& title) {
    if (window_title(d, w) == title) return w;
    Window root = 0;
    Window parent = 0;
    Window* children = nullptr;
    unsigned count = 0;
    if (XQueryTree(d, w, &root, &parent, &children, &count) == 0) return 0;
    Window found = 0;
    for (unsigned i = 0; i < count && found == 0; ++i)
        found = search(d, children[i], title);
    if (children != nullptr) XFree(children);
    return found;
}

} // namespace

unsigned long find(const std::string& title) {
    display_ptr d(XOpenDisplay(nullptr));
    if (!d) return 0;
    return search(d.get(), DefaultRootWindow(d.get()), title);
}

std::optional<placement> place(const std::string& title) {
    display_ptr d(XOpenDisplay(nullptr));
    if (!d) return std::nullopt;
    const Window root = DefaultRootWindow(d.get());
    const Window w = search(d.get(), root, title);
    XWindowAttributes attributes{};
    if (w == 0 || XGetWindowAttributes(d.get(), w, &attributes) == 0) return std::nullopt;
    int x = 0;
    int y = 0;
    Window child = 0;
    XTranslateCoordinates(d.get(), w, root, 0, 0, &x, &y, &child);
    return placement{x, y, static_cast<unsigned>(attributes.width), static_cast<unsigned>(attributes.height)};
}

bool request_close(const std::string& title) {
    const Window w = find(title);
    return w != 0 && request_close(w);
}

bool request_close(unsigned long w) {
    display_ptr d(XOpenDisplay(nullptr));
    if (!d) return false;
    XEvent event{};
    event.xclient.type = ClientMessage;
    event.xclient.window = w;
    event.xclient.message_type = XInternAtom(d.get(), "WM_PROTOCOLS", False);
    event.xclient.format = 32;
    event.xclient.data.l[0] = static_cast<long>(XInternAtom(d.get(), "WM_DELETE_WINDOW", False));
    event.xclient.data.l[1] = CurrentTime;
    XSendEvent(d.get(), w, False, NoEventMask, &event);
    XFlush(d.get());
    return true;
}

} // namespace x_window
