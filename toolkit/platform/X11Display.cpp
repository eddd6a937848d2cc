#include "toolkit/platform/X11Display.h"

#include <map>
#include <mutex>

namespace {

// Errors arrive on whatever thread talks to a connection, so the table of our
// connections is guarded. It is never freed: the handler may still run while
// the process exits.
struct ErrorTrap {
    std::mutex mutex;
    std::map<Display*, unsigned long> errorsByDisplay;
    XErrorHandler previous = nullptr;
    bool installed = false;
};

ErrorTrap& trap() {
    static ErrorTrap* instance = new ErrorTrap;
    return *instance;
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
