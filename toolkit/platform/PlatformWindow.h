// The seam between a frame and the window system. The frame always draws
// into its own image; a platform window shows that image on screen and turns
// the window system's events into frame events. Without a window (tests,
// screenshots) the frame works the same, driven by synthetic events.
#pragma once

#include <memory>

#include "plugin/vst2.h"
#include "toolkit/CRect.h"

typedef struct _cairo_surface cairo_surface_t;

// Implemented by the frame. Called on the thread that pumps the window.
class PlatformWindowOwner {
public:
    virtual ~PlatformWindowOwner() = default;
    // buttons: the CButton bits (toolkit/CButtonState.h) of the event.
    virtual void platformMouseDown(CPoint where, long buttons) = 0;
    virtual void platformMouseMoved(CPoint where, long buttons) = 0;
    virtual void platformMouseUp(CPoint where, long buttons) = 0;
    virtual void platformMouseExited() = 0;
    // distance: +1 per notch away from the user, -1 towards.
    virtual void platformWheel(CPoint where, float distance, long buttons) = 0;
    virtual bool platformKeyDown(const VstKeyCode& key) = 0;
    virtual bool platformKeyUp(const VstKeyCode& key) = 0;
    // The frame's current picture: an ARGB32 image surface of the frame's size.
    virtual cairo_surface_t* platformImage() = 0;
    // The window system destroyed the window (its parent went away first).
    virtual void platformWindowGone() = 0;
    // The keyboard focus the window took went elsewhere (another window took
    // it, or the host hid its window): the window no longer holds it.
    virtual void platformFocusLost() = 0;
};

class PlatformWindow {
public:
    virtual ~PlatformWindow() = default;
    // This part of the owner's image changed: copy it to the screen.
    virtual void invalidate(const CRect& area) = 0;
    // Handles every pending window-system event; called from the frame's idle.
    virtual void pumpEvents() = 0;
    // Keyboard focus to the window (a text field was clicked), remembering
    // who had it. Only while it holds the focus does the window take keys;
    // otherwise they go to the host, which may pass them on (effEditKeyDown).
    virtual void takeFocus() = 0;
    // Keyboard editing ended: the focus goes back to who had it before (or
    // to the host's window when that was nobody), if it is still ours. A
    // window that never takes it has nothing to give.
    virtual void releaseFocus() {}
    // The window's id (an X11 window), for dialogs that attach to it.
    virtual unsigned long windowId() const = 0;
};

// A child window of `parent` (on Linux the X11 window id that the host
// passes to effEditOpen) of the given size. Null when there is no parent or
// no display.
std::unique_ptr<PlatformWindow> createPlatformWindow(void* parent, const CRect& size, PlatformWindowOwner& owner);
std::unique_ptr<PlatformWindow> createX11Window(void* parent, const CRect& size, PlatformWindowOwner& owner);

// Where windows come from. Tests that drive a whole editor without a display
// install a maker of windows that exist only off-screen; null restores X11.
// Set it before any frame is made, on the thread that makes them.
using PlatformWindowMaker = std::unique_ptr<PlatformWindow> (*)(void* parent, const CRect& size,
                                                                PlatformWindowOwner& owner);
void setPlatformWindowMaker(PlatformWindowMaker maker);
