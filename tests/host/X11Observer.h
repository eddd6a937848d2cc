// What the host tests look at under Xvfb: the host's top-level windows, as
// a window manager sees them, and its output line by line.
#pragma once

// After gtest: Xlib defines None and Bool as macros.
#include <X11/Xlib.h>

#include "XvfbServer.h"

#include <chrono>
#include <functional>
#include <memory>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

namespace {

inline bool waitUntil(const std::function<bool()>& done) {
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(20);
    while (!done()) {
        if (std::chrono::steady_clock::now() > deadline) return false;
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
    }
    return true;
}

inline std::vector<std::string> lines(const std::string& text) {
    std::vector<std::string> result;
    std::istringstream in(text);
    for (std::string line; std::getline(in, line);) result.push_back(line);
    return result;
}

// The test's own connection, looking at the host's window as a window
// manager would.
class Observer {
public:
    Observer() : display_(XOpenDisplay(nullptr)) {}
    ~Observer() {
        if (display_) XCloseDisplay(display_);
    }
    Display* get() const { return display_; }

    // The top-level window titled `title`, or 0.
    Window find(const std::string& title) {
        Window root, parent, *children = nullptr, found = 0;
        unsigned count = 0;
        if (!XQueryTree(display_, DefaultRootWindow(display_), &root, &parent, &children, &count)) return 0;
        for (unsigned i = 0; i < count && !found; ++i) {
            char* name = nullptr;
            if (XFetchName(display_, children[i], &name) && name) {
                if (title == name) found = children[i];
                XFree(name);
            }
        }
        if (children) XFree(children);
        return found;
    }

    int childCount(Window window) {
        Window root, parent, *children = nullptr;
        unsigned count = 0;
        XQueryTree(display_, window, &root, &parent, &children, &count);
        if (children) XFree(children);
        return static_cast<int>(count);
    }

    // The window manager's close button.
    void close(Window window) {
        XEvent event{};
        event.xclient.type = ClientMessage;
        event.xclient.window = window;
        event.xclient.message_type = XInternAtom(display_, "WM_PROTOCOLS", False);
        event.xclient.format = 32;
        event.xclient.data.l[0] = static_cast<long>(XInternAtom(display_, "WM_DELETE_WINDOW", False));
        event.xclient.data.l[1] = CurrentTime;
        XSendEvent(display_, window, False, NoEventMask, &event);
        XFlush(display_);
    }

private:
    Display* display_;
};

// The suite's private X server, with an observer connected to it.
class ObservedXvfbSuite : public XvfbSuite {
protected:
    void SetUp() override {
        XvfbSuite::SetUp();
        if (IsSkipped() || HasFatalFailure()) return;
        observer = std::make_unique<Observer>();
        ASSERT_TRUE(observer->get());
    }
    std::unique_ptr<Observer> observer;
};

}  // namespace
