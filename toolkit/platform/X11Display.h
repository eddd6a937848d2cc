// The plug-in's own connection to the X server, one per editor window.
// While any is open, a process-wide error handler swallows the errors of our
// connections (a host's window may vanish under us at any moment) and hands
// every other connection's errors to the handler that was there before, so
// that the host's own error handling is unchanged.
#pragma once

#include <X11/Xlib.h>

class X11Display {
public:
    // Connects to $DISPLAY; valid() tells whether that worked.
    X11Display();
    ~X11Display();
    X11Display(const X11Display&) = delete;
    X11Display& operator=(const X11Display&) = delete;

    bool valid() const { return display_ != nullptr; }
    Display* get() const { return display_; }
    // How many errors the server has reported on this connection so far.
    unsigned long errorCount() const;

private:
    Display* display_ = nullptr;
};
