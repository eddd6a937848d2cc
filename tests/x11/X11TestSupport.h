// What the X11 window tests share: an owner that records what the window
// tells it and holds a known picture, a stand-in for the host's window, and
// waiting for an asynchronous X server.
#pragma once

#include <X11/Xlib.h>
#include <cairo.h>

#include <cstdint>
#include <functional>
#include <vector>

#include "toolkit/platform/PlatformWindow.h"

struct OwnerEvent {
    enum Kind { Down, Moved, Up, Exited, Wheel, KeyDown, KeyUp, Gone, FocusLost } kind;
    CPoint where;
    long buttons = 0;
    float distance = 0;
    VstKeyCode key{};
};

class FakeOwner : public PlatformWindowOwner {
public:
    FakeOwner(int width, int height);
    ~FakeOwner() override;

    // A picture where every pixel differs from its neighbours; `variant`
    // flips bits of every pixel to make a new picture.
    static uint32_t patternAt(int x, int y, uint32_t variant = 0);
    void paintPattern(uint32_t variant);

    std::vector<OwnerEvent> of(OwnerEvent::Kind kind) const;

    std::vector<OwnerEvent> events;
    cairo_surface_t* image = nullptr;
    bool hideImage = false;
    std::function<void()> onGone;

    void platformMouseDown(CPoint where, long buttons) override;
    void platformMouseMoved(CPoint where, long buttons) override;
    void platformMouseUp(CPoint where, long buttons) override;
    void platformMouseExited() override;
    void platformWheel(CPoint where, float distance, long buttons) override;
    bool platformKeyDown(const VstKeyCode& key) override;
    bool platformKeyUp(const VstKeyCode& key) override;
    cairo_surface_t* platformImage() override;
    void platformWindowGone() override;
    void platformFocusLost() override;
};

// 0xRRGGBB of an ARGB32 image, row by row.
std::vector<uint32_t> imagePixels(cairo_surface_t* image);
// The window that has the keyboard focus.
Window focusedWindow(Display* display);

// Calls `step` (if any) then checks `done` until it holds or 3 seconds pass.
bool eventually(const std::function<bool()>& done, const std::function<void()>& step = nullptr);

// The host's side: its own connection, where the editor's parent lives.
class HostDisplay {
public:
    HostDisplay();
    ~HostDisplay();
    Display* get() const { return display_; }

    // A mapped top-level window, 1x1 like the ones some hosts open editors
    // in; depth 0 is the screen's own. None if the screen has no such depth.
    Window createParent(int width = 1, int height = 1, int depth = 0, int screen = 0);
    // 0xRRGGBB pixels of a window, row by row, channels widened to 8 bits;
    // empty if it cannot be read.
    std::vector<uint32_t> screenshot(Window window, int width, int height);

private:
    Display* display_ = nullptr;
};

// Errors that reach the handler installed before the plug-in's: any error
// of the plug-in's own connection counted here would have ended a host.
struct ErrorsPassedOn {
    ErrorsPassedOn();
    ~ErrorsPassedOn();
    static int record(Display*, XErrorEvent*);
    static int count;
    XErrorHandler before;
};
