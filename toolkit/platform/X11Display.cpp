#include "toolkit/platform/X11Display.h"

#include <map>
#include <mutex>

namespace {

int swallowOwnErrors(Display* display, XErrorEvent* error);

// Errors arrive on whatever thread talks to a connection, so the table of our
// connections is guarded. It lives as long as the library: when a host
// unloads the plug-in (or the process ends) our handler goes with it, so that
// nothing calls into code or memory that is gone.
struct ErrorTrap {
    std::mutex mutex;
    std::map<Display*, unsigned long> errorsByDisplay;
    XErrorHandler previous = nullptr;
    bool installed = false;

    ~ErrorTrap() {
        std::lock_guard lock(mutex);
        if (!installed) return;
        XErrorHandler current = XSetErrorHandler(previous);
        // A handler installed after ours keeps its place; it may still pass
        // errors on to ours, which nobody can take out of that chain.
        if (current != swallowOwnErrors) XSetErrorHandler(current);
        installed = false;
    }
};

ErrorTrap& trap() {
    static ErrorTrap instance;
    return instance;
}

int swallowOwnErrors(Display* display, XErrorEvent* error) {
    XErrorHandler next;
    {
        std::lock_guard lock(trap().mutex);
        auto it = trap().errorsByDisplay.find(display);
        if (it != trap().errorsByDisplay.end()) {
            ++it->second;
            return 0;
        }
        next = trap().previous;
    }
    return next ? next(display, error) : 0;
}

void registerDisplay(Display* display) {
    ErrorTrap& t = trap();
    std::lock_guard lock(t.mutex);
    t.errorsByDisplay[display] = 0;
    if (!t.installed) {
        t.previous = XSetErrorHandler(swallowOwnErrors);
        t.installed = true;
    }
}

void unregisterDisplay(Display* display) {
    ErrorTrap& t = trap();
    std::lock_guard lock(t.mutex);
    t.errorsByDisplay.erase(display);
    if (!t.installed || !t.errorsByDisplay.empty()) return;
    XErrorHandler current = XSetErrorHandler(t.previous);
    if (current == swallowOwnErrors) {
        t.installed = false;
    } else {
        // Someone installed a handler after ours and may be passing errors on
        // to it: putting the old one back would cut that chain. Ours stays,
        // handing everything on.
        XSetErrorHandler(current);
    }
}

}  // namespace

X11Display::X11Display() {
    display_ = XOpenDisplay(nullptr);
    if (display_) registerDisplay(display_);
}

X11Display::~X11Display() {
    if (!display_) return;
    // Closing flushes and syncs: errors still on their way are swallowed too.
    XCloseDisplay(display_);
    unregisterDisplay(display_);
}

unsigned long X11Display::errorCount() const {
    std::lock_guard lock(trap().mutex);
    auto it = trap().errorsByDisplay.find(display_);
    return it == trap().errorsByDisplay.end() ? 0 : it->second;
}
