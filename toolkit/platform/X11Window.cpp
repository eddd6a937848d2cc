// The editor's window in a Linux host: a child of the host's window on the
// plug-in's own X connection, showing the frame's image and passing the
// window system's events on to the frame. Everything runs on the thread that
// calls the editor; the connection is drained from the frame's idle.
#include <X11/XKBlib.h>
#include <X11/Xlib.h>
#include <X11/Xutil.h>

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <memory>

#include "toolkit/CButtonState.h"
#include "toolkit/platform/PlatformWindow.h"
#include "toolkit/platform/X11Display.h"
#include "toolkit/platform/X11ImageCopy.h"
#include "toolkit/platform/X11Keys.h"
#include "toolkit/platform/X11Mouse.h"

namespace {

constexpr long kEventMask = ExposureMask | ButtonPressMask | ButtonReleaseMask | PointerMotionMask |
                            EnterWindowMask | LeaveWindowMask | KeyPressMask | KeyReleaseMask |
                            StructureNotifyMask | FocusChangeMask;

// X sizes are 16-bit and never 0; coordinates stop at 32767.
constexpr int kMaxSide = 32767;

int windowSide(CCoord length) {
    if (!(length >= 1)) return 1;  // also NaN
    return length >= kMaxSide ? kMaxSide : static_cast<int>(std::lround(length));
}

int clampPixel(CCoord value, int limit) {
    if (!(value > 0)) return 0;  // also NaN
    return value >= limit ? limit : static_cast<int>(value);
}

struct PixelArea {
    int left = 0, top = 0, right = 0, bottom = 0;

    bool empty() const { return right <= left || bottom <= top; }
    void add(int x, int y, int width, int height) {
        if (width <= 0 || height <= 0) return;
        if (empty()) {
            *this = {x, y, x + width, y + height};
            return;
        }
        left = std::min(left, x);
        top = std::min(top, y);
        right = std::max(right, x + width);
        bottom = std::max(bottom, y + height);
    }
};

class X11Window final : public PlatformWindow {
public:
    X11Window(std::unique_ptr<X11Display> display, const CRect& size, PlatformWindowOwner& owner)
        : display_(std::move(display)), owner_(owner), width_(windowSide(size.width())),
          height_(windowSide(size.height())) {}

    ~X11Window() override {
        *alive_ = false;
        forgetWindow(!destroyedMeanwhile());
        // display_ closes the connection after this body.
    }

    // False when the parent is not a window we can draw into.
    bool create(Window parent) {
        Display* dpy = display_->get();
        const unsigned long errorsBefore = display_->errorCount();
        XWindowAttributes parentAttributes;
        if (!XGetWindowAttributes(dpy, parent, &parentAttributes) || parentAttributes.c_class != InputOutput)
            return false;

        // The parent's visual and depth (a host's window may be 32-bit ARGB),
        // so that the parent's colormap fits ours too.
        XSetWindowAttributes attributes{};
        attributes.background_pixmap = None;  // we paint every exposed pixel
        attributes.border_pixel = 0;
        attributes.colormap = parentAttributes.colormap;
        attributes.event_mask = kEventMask;
        window_ = XCreateWindow(dpy, parent, 0, 0, width_, height_, 0, parentAttributes.depth, InputOutput,
                                parentAttributes.visual, CWBackPixmap | CWBorderPixel | CWColormap | CWEventMask,
                                &attributes);

        // XEmbed version 0, mapped: embedders that speak it map us themselves.
        const long xembedInfo[2] = {0, 1};
        Atom xembedAtom = XInternAtom(dpy, "_XEMBED_INFO", False);
        XChangeProperty(dpy, window_, xembedAtom, xembedAtom, 32, PropModeReplace,
                        reinterpret_cast<const unsigned char*>(xembedInfo), 2);
        // Held keys repeat as presses without releases in between.
        XkbSetDetectableAutoRepeat(dpy, True, nullptr);
        XMapWindow(dpy, window_);
        XSync(dpy, False);
        if (display_->errorCount() != errorsBefore) {
            // The parent vanished meanwhile, or refused a child like ours.
            forgetWindow(true);
            return false;
        }

        copy_ = std::make_unique<X11ImageCopy>(dpy, window_, parentAttributes.visual, parentAttributes.depth, width_,
                                               height_);
        return true;
    }

    void invalidate(const CRect& area) override {
        PixelArea pixels{clampPixel(std::floor(area.left), width_), clampPixel(std::floor(area.top), height_),
                         clampPixel(std::ceil(area.right), width_), clampPixel(std::ceil(area.bottom), height_)};
        paint(pixels);
    }

    void pumpEvents() override {
        Display* dpy = display_->get();
        // The owner may destroy this window from inside any of its handlers.
        std::shared_ptr<bool> alive = alive_;
        PixelArea exposed;
        while (window_ != None && XPending(dpy) > 0) {
            XEvent event;
            XNextEvent(dpy, &event);
            dispatch(event, exposed);
            if (!*alive) return;
        }
        paint(exposed);
    }

    void takeFocus() override {
        if (window_ == None) return;
        // Focus on a window that is not viewable is an error.
        XWindowAttributes attributes;
        if (XGetWindowAttributes(display_->get(), window_, &attributes) && attributes.map_state == IsViewable) {
            XSetInputFocus(display_->get(), window_, RevertToParent, CurrentTime);
            XFlush(display_->get());
        }
    }

    unsigned long windowId() const override { return window_; }

private:
    void dispatch(XEvent& event, PixelArea& exposed) {
        if (event.xany.window != window_) return;
        switch (event.type) {
            case Expose:
                exposed.add(event.xexpose.x, event.xexpose.y, event.xexpose.width, event.xexpose.height);
                break;
            case ButtonPress: pressed(event.xbutton); break;
            case ButtonRelease:
                if (long bit = buttonBit(event.xbutton.button))
                    owner_.platformMouseUp(CPoint(event.xbutton.x, event.xbutton.y),
                                           bit | modifierBits(event.xbutton.state));
                break;
            case MotionNotify:
                skipToLatestMotion(event);
                owner_.platformMouseMoved(CPoint(event.xmotion.x, event.xmotion.y),
                                          heldButtonBits(event.xmotion.state));
                break;
            case EnterNotify:
                // Where the pointer is now, though it has not moved yet inside.
                owner_.platformMouseMoved(CPoint(event.xcrossing.x, event.xcrossing.y),
                                          heldButtonBits(event.xcrossing.state));
                break;
            case LeaveNotify:
                if (event.xcrossing.detail != NotifyInferior) owner_.platformMouseExited();
                break;
            case KeyPress:
            case KeyRelease: key(event.xkey); break;
            case DestroyNotify:
                // The host destroyed its window before closing the editor: ours
                // went with it.
                if (event.xdestroywindow.window == window_) {
                    forgetWindow(false);
                    owner_.platformWindowGone();
                }
                break;
            default: break;
        }
    }

    void pressed(const XButtonEvent& press) {
        const CPoint where(press.x, press.y);
        // Wheels are buttons 4 (away from the user) and 5; 6 and 7 are
        // sideways and ignored.
        if (press.button == Button4 || press.button == Button5) {
            owner_.platformWheel(where, press.button == Button4 ? 1.f : -1.f, heldButtonBits(press.state));
            return;
        }
        long bits = buttonBit(press.button);
        if (!bits) return;
        bits |= modifierBits(press.state);
        if (clicks_.press(press.button, press.time, press.x, press.y)) bits |= kDoubleClick;
        owner_.platformMouseDown(where, bits);
    }

    void key(XKeyEvent& event) {
        char text[16];
        KeySym keysym = NoSymbol;
        // Gives the symbol with Shift and Caps Lock applied: 'A', not 'a'.
        XLookupString(&event, text, sizeof text, &keysym, nullptr);
        std::optional<VstKeyCode> code = translateX11Key(keysym, event.state);
        if (!code) return;
        if (event.type == KeyPress)
            owner_.platformKeyDown(*code);
        else
            owner_.platformKeyUp(*code);
    }

    // Hosts pump at 15-25 Hz: a drag delivers many motions per pump, and only
    // the last position matters.
    void skipToLatestMotion(XEvent& event) {
        Display* dpy = display_->get();
        XEvent next;
        while (XEventsQueued(dpy, QueuedAlready) > 0) {
            XPeekEvent(dpy, &next);
            if (next.type != MotionNotify || next.xmotion.window != window_) break;
            XNextEvent(dpy, &event);
        }
    }

    void paint(const PixelArea& area) {
        if (copy_ && !area.empty()) copy_->copy(owner_.platformImage(), area.left, area.top, area.right, area.bottom);
    }

    // Whether the host destroyed its window (and so ours) since the last pump.
    bool destroyedMeanwhile() {
        if (window_ == None) return false;
        XSync(display_->get(), False);
        XEvent event;
        return XCheckTypedWindowEvent(display_->get(), window_, DestroyNotify, &event);
    }

    // stillExists: whether the server still has the window (ours to destroy).
    void forgetWindow(bool stillExists) {
        copy_.reset();
        if (window_ != None && stillExists) XDestroyWindow(display_->get(), window_);
        window_ = None;
    }

    std::unique_ptr<X11Display> display_;
    PlatformWindowOwner& owner_;
    const int width_;
    const int height_;
    Window window_ = None;
    std::unique_ptr<X11ImageCopy> copy_;
    DoubleClickDetector clicks_;
    std::shared_ptr<bool> alive_ = std::make_shared<bool>(true);
};

}  // namespace

std::unique_ptr<PlatformWindow> createX11Window(void* parent, const CRect& size, PlatformWindowOwner& owner) {
    if (!parent) return nullptr;
    auto display = std::make_unique<X11Display>();
    if (!display->valid()) return nullptr;
    auto window = std::make_unique<X11Window>(std::move(display), size, owner);
    if (!window->create(static_cast<Window>(reinterpret_cast<uintptr_t>(parent)))) return nullptr;
    return window;
}
