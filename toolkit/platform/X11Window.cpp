// The editor's window in a Linux host: a child of the host's window on the
// plug-in's own X connection, showing the frame's image and passing the
// window system's events on to the frame. Everything runs on the thread that
// calls the editor; the connection is drained from the frame's idle, which
// some hosts call late or seldom: the picture lives on the server as the
// window's background, so exposures need no idle of ours.
#include <X11/XKBlib.h>
#include <X11/Xlib.h>
#include <X11/Xutil.h>

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <memory>
#include <vector>

#include "toolkit/CButtonState.h"
#include "toolkit/platform/PlatformWindow.h"
#include "toolkit/platform/X11Display.h"
#include "toolkit/platform/X11ImageCopy.h"
#include "toolkit/platform/X11Keys.h"
#include "toolkit/platform/X11Mouse.h"

namespace {

constexpr long kEventMask = ButtonPressMask | ButtonReleaseMask | PointerMotionMask | EnterWindowMask |
                            LeaveWindowMask | StructureNotifyMask | FocusChangeMask;
// Keys only while a text field or a popup holds the focus: a window that
// selects them keeps them from its ancestors, and with the pointer over us
// the host's shortcuts (space: play) would never reach the host's window.
constexpr long kKeyMask = KeyPressMask | KeyReleaseMask;

// X resource ids have 29 bits. Xlib cuts larger values (a pointer, say) to
// 32 bits, which may name somebody else's window.
constexpr uintptr_t kMaxResourceId = 0x1FFFFFFF;

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
};

// The mask of X button 1, 2 or 3 in an event's state.
unsigned int buttonMask(unsigned int xButton) { return Button1Mask << (xButton - Button1); }

class X11Window final : public PlatformWindow {
public:
    X11Window(std::unique_ptr<X11Display> display, const CRect& size, PlatformWindowOwner& owner)
        : display_(std::move(display)), owner_(owner), width_(windowSide(size.width())),
          height_(windowSide(size.height())) {}

    ~X11Window() override {
        *alive_ = false;
        const bool stillExists = !destroyedMeanwhile();
        if (stillExists) releaseFocus();
        forgetWindow(stillExists);
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
        attributes.background_pixmap = None;  // the picture's pixmap, below
        attributes.border_pixel = 0;
        attributes.colormap = parentAttributes.colormap;
        attributes.event_mask = kEventMask;
        window_ = XCreateWindow(dpy, parent, 0, 0, width_, height_, 0, parentAttributes.depth, InputOutput,
                                parentAttributes.visual, CWBackPixmap | CWBorderPixel | CWColormap | CWEventMask,
                                &attributes);
        parent_ = parent;

        // XEmbed version 0, mapped: embedders that speak it map us themselves.
        const long xembedInfo[2] = {0, 1};
        Atom xembedAtom = XInternAtom(dpy, "_XEMBED_INFO", False);
        XChangeProperty(dpy, window_, xembedAtom, xembedAtom, 32, PropModeReplace,
                        reinterpret_cast<const unsigned char*>(xembedInfo), 2);
        // Held keys repeat as presses without releases in between.
        XkbSetDetectableAutoRepeat(dpy, True, nullptr);
        // The parent vanished meanwhile, or refused a child like ours.
        if (!noErrorsSince(errorsBefore)) return false;

        // The whole picture is on the server before the window shows.
        copy_ = std::make_unique<X11ImageCopy>(dpy, window_, parentAttributes.visual, parentAttributes.depth, width_,
                                               height_);
        paint({0, 0, width_, height_});
        XMapWindow(dpy, window_);
        return noErrorsSince(errorsBefore);
    }

    void invalidate(const CRect& area) override {
        PixelArea pixels{clampPixel(std::floor(area.left), width_), clampPixel(std::floor(area.top), height_),
                         clampPixel(std::ceil(area.right), width_), clampPixel(std::ceil(area.bottom), height_)};
        paint(pixels);
    }

    void pumpEvents() override {
        if (!dispatchQueued(QueuedAfterFlush) || window_ == None || !pressedButtons_) return;
        // A press is open: if the server says its button is up, the release
        // came before the query's reply and is queued now, or it went
        // elsewhere when the server ended our grab (our window was hidden).
        const unsigned int up = releasedButtons();
        if (up && dispatchQueued(QueuedAlready) && window_ != None) releaseLostButtons(up);
    }

    void takeFocus() override {
        if (window_ == None || !isViewable(window_)) return;  // focus on such a window is an error
        Display* dpy = display_->get();
        Window focus = None;
        int revertTo = RevertToParent;
        XGetInputFocus(dpy, &focus, &revertTo);
        if (focus != window_) {
            previousFocus_ = focus;
            previousRevertTo_ = revertTo;
        }
        holdsFocus_ = true;
        XSelectInput(dpy, window_, kEventMask | kKeyMask);
        XSetInputFocus(dpy, window_, RevertToParent, CurrentTime);
        XFlush(dpy);
    }

    // Back to the window that had it before, unless the focus has moved on
    // since (the user clicked the host). Nobody, or a window gone meanwhile,
    // would leave the keyboard dead: then the host's window that holds ours.
    void releaseFocus() override {
        if (!holdsFocus_ || window_ == None) return;
        stopTakingKeys();
        Display* dpy = display_->get();
        if (focusedWindow() != window_) return;
        if (previousFocus_ == PointerRoot || (previousFocus_ != None && isViewable(previousFocus_))) {
            XSetInputFocus(dpy, previousFocus_, previousRevertTo_, CurrentTime);
        } else {
            const Window host = hostTopLevel();
            if (host != None && isViewable(host)) XSetInputFocus(dpy, host, RevertToParent, CurrentTime);
        }
        XFlush(dpy);
    }

    unsigned long windowId() const override { return window_; }

private:
    // False when the owner destroyed this window meanwhile.
    bool dispatchQueued(int mode) {
        Display* dpy = display_->get();
        // The owner may destroy this window from inside any of its handlers.
        std::shared_ptr<bool> alive = alive_;
        while (window_ != None && XEventsQueued(dpy, mode) > 0) {
            XEvent event;
            XNextEvent(dpy, &event);
            dispatch(event);
            if (!*alive) return false;
        }
        return true;
    }

    void dispatch(XEvent& event) {
        if (event.xany.window != window_) return;
        switch (event.type) {
            case ButtonPress: pressed(event.xbutton); break;
            case ButtonRelease: released(event.xbutton); break;
            case MotionNotify:
                skipToLatestMotion(event);
                pointerAt(event.xmotion.x, event.xmotion.y, event.xmotion.state);
                owner_.platformMouseMoved(lastWhere_, heldButtonBits(event.xmotion.state));
                break;
            case EnterNotify:
                // Where the pointer is now, though it has not moved yet inside.
                pointerAt(event.xcrossing.x, event.xcrossing.y, event.xcrossing.state);
                owner_.platformMouseMoved(lastWhere_, heldButtonBits(event.xcrossing.state));
                break;
            case LeaveNotify:
                // Another grab, or the end of ours without a release: the
                // release will not come here.
                if (event.xcrossing.mode != NotifyNormal && !releaseLostButtons()) return;
                if (event.xcrossing.detail != NotifyInferior) owner_.platformMouseExited();
                break;
            case UnmapNotify:
                // Hidden mid-press: the server ended our grab.
                if (event.xunmap.window == window_) releaseLostButtons();
                break;
            case KeyPress:
            case KeyRelease: key(event.xkey); break;
            case FocusOut: focusOut(event.xfocus); break;
            case DestroyNotify:
                // The host destroyed its window before closing the editor: ours
                // went with it.
                if (event.xdestroywindow.window == window_) {
                    if (!releaseLostButtons()) return;
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
        // A button we saw go down is up by now, though its release never
        // came: that press ends first, so that no gesture stays open.
        if ((pressedButtons_ & ~press.state) && !releaseLostButtons(~press.state)) return;
        pressedButtons_ |= buttonMask(press.button);
        pointerAt(press.x, press.y, press.state);
        bits |= modifierBits(press.state);
        if (clicks_.press(press.button, press.time, press.x, press.y)) bits |= kDoubleClick;
        owner_.platformMouseDown(where, bits);
    }

    void released(const XButtonEvent& release) {
        const long bit = buttonBit(release.button);
        if (!bit) return;
        pressedButtons_ &= ~buttonMask(release.button);
        pointerAt(release.x, release.y, release.state);
        owner_.platformMouseUp(lastWhere_, bit | modifierBits(release.state));
    }

    void pointerAt(int x, int y, unsigned int state) {
        lastWhere_ = CPoint(x, y);
        lastModifiers_ = modifierBits(state);
    }

    // The buttons among the pressed ones that the server says are up.
    unsigned int releasedButtons() {
        Window root, child;
        int rootX, rootY, x, y;
        unsigned int state = 0;
        XQueryPointer(display_->get(), window_, &root, &child, &rootX, &rootY, &x, &y, &state);
        return pressedButtons_ & ~state;
    }

    // Ends the presses of `which` buttons (masks) as if released where the
    // pointer was last seen; false when the owner destroyed this window.
    bool releaseLostButtons(unsigned int which = ~0u) {
        std::shared_ptr<bool> alive = alive_;
        for (unsigned int button = Button1; button <= Button3; ++button) {
            const unsigned int mask = buttonMask(button);
            if (!(pressedButtons_ & which & mask)) continue;
            pressedButtons_ &= ~mask;
            owner_.platformMouseUp(lastWhere_, buttonBit(button) | lastModifiers_);
            if (!*alive) return false;
        }
        return true;
    }

    void key(XKeyEvent& event) {
        char text[16];
        KeySym keysym = NoSymbol;
        // Gives the symbol with Shift and Caps Lock applied: 'A', not 'a'.
        XLookupString(&event, text, sizeof text, &keysym, nullptr);
        std::optional<VstKeyCode> code = translateX11Key(keysym, event.state);
        bool handled = false;
        if (code) {
            std::shared_ptr<bool> alive = alive_;  // the owner may close us while it handles the key
            handled = event.type == KeyPress ? owner_.platformKeyDown(*code) : owner_.platformKeyUp(*code);
            if (!*alive || window_ == None) return;
        }
        // Keys that arrive after we gave the keyboard back, and shortcuts
        // declined while we hold it, are the host's.
        if (!handled && (!holdsFocus_ || isShortcut(event.state, code))) passOn(event);
    }

    static bool isShortcut(unsigned int state, const std::optional<VstKeyCode>& code) {
        return (state & (ControlMask | Mod1Mask)) || (code && code->virt >= VKEY_F1 && code->virt <= VKEY_F12);
    }

    // Sends a key where the server would have sent it had we not taken it:
    // to the first window from our parent up to the focus window (or up to
    // the root, while the focus is ours) that anybody takes such keys on, or
    // straight to the focus window when it does not hold ours. (A key typed
    // just after we gave the keyboard back, space right after the Return
    // that ended a rename, was on its way to us already.)
    void passOn(XKeyEvent event) {
        Display* dpy = display_->get();
        const long mask = event.type == KeyPress ? KeyPressMask : KeyReleaseMask;
        const Window focus = focusedWindow();
        if (focus == None) return;
        const std::vector<Window> above = ancestors();
        if (above.empty()) return;
        // With the focus ours (a shortcut while we take keys), any ancestor may take it.
        const bool focusAbove = focus == PointerRoot || focus == window_ ||
                                std::find(above.begin(), above.end(), focus) != above.end();
        Window target = focusAbove ? None : focus, below = focusAbove ? window_ : None;
        for (std::size_t i = 0; focusAbove && i < above.size(); ++i) {
            XWindowAttributes attributes;
            if (!XGetWindowAttributes(dpy, above[i], &attributes)) return;
            if (attributes.all_event_masks & mask) {
                target = above[i];
                break;
            }
            if ((attributes.do_not_propagate_mask & mask) || above[i] == focus) return;
            below = above[i];
        }
        if (target == None) return;
        Window unused = None;
        XTranslateCoordinates(dpy, window_, target, event.x, event.y, &event.x, &event.y, &unused);
        event.window = target;
        event.subwindow = below;
        XSendEvent(dpy, target, False, mask, reinterpret_cast<XEvent*>(&event));
        XFlush(dpy);
    }

    // The focus went elsewhere for good: the host's window was hidden (the
    // server moved the focus away from our unviewable window) or another
    // window took it. Moves within our window, the pointer's own focus
    // events and a passing keyboard grab (the focus comes back after it)
    // are none of that, nor is an old event from a focus given back and
    // taken again since.
    void focusOut(const XFocusChangeEvent& event) {
        if (!holdsFocus_ || event.detail == NotifyInferior || event.detail == NotifyPointer ||
            event.mode == NotifyGrab || focusedWindow() == window_)
            return;
        stopTakingKeys();  // nothing to give back: somebody else has it
        owner_.platformFocusLost();
    }

    void stopTakingKeys() {
        holdsFocus_ = false;
        XSelectInput(display_->get(), window_, kEventMask);
    }

    Window focusedWindow() {
        Window focus = None;
        int revertTo = RevertToParent;
        XGetInputFocus(display_->get(), &focus, &revertTo);
        return focus;
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

    // Waits for the server's answer to everything sent; on errors the
    // window is given up.
    bool noErrorsSince(unsigned long errorsBefore) {
        XSync(display_->get(), False);
        if (display_->errorCount() == errorsBefore) return true;
        forgetWindow(true);
        return false;
    }

    // The host's top-level window that holds ours: the outermost ancestor the
    // window manager knows as a client (it carries WM_STATE), or without a
    // window manager the ancestor just below the root. Hosts often embed us in
    // inner windows that ignore keys; their top-level window takes them.
    Window hostTopLevel() {
        const std::vector<Window> above = ancestors();
        if (above.empty()) return parent_;
        const Atom wmState = XInternAtom(display_->get(), "WM_STATE", True);
        Window client = None;
        for (Window window : above)
            if (wmState != None && hasProperty(window, wmState)) client = window;
        return client != None ? client : above.back();
    }

    // Our parent and its ancestors, nearest first, up to the window just
    // below the root; empty when the server cannot tell.
    std::vector<Window> ancestors() {
        std::vector<Window> above;
        for (Window window = parent_; window != None;) {
            above.push_back(window);
            Window root = None, up = None;
            Window* children = nullptr;
            unsigned int count = 0;
            if (!XQueryTree(display_->get(), window, &root, &up, &children, &count)) return {};
            if (children) XFree(children);
            window = up == root ? None : up;
        }
        return above;
    }

    bool hasProperty(Window window, Atom property) {
        Atom type = None;
        int format = 0;
        unsigned long items = 0, after = 0;
        unsigned char* data = nullptr;
        const bool found = XGetWindowProperty(display_->get(), window, property, 0, 0, False, AnyPropertyType, &type,
                                              &format, &items, &after, &data) == Success &&
                           type != None;
        if (data) XFree(data);
        return found;
    }

    bool isViewable(Window window) {
        XWindowAttributes attributes;
        return XGetWindowAttributes(display_->get(), window, &attributes) && attributes.map_state == IsViewable;
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
    Window parent_ = None;
    std::unique_ptr<X11ImageCopy> copy_;
    DoubleClickDetector clicks_;
    // Button masks of the presses passed on and not yet released.
    unsigned int pressedButtons_ = 0;
    CPoint lastWhere_;
    long lastModifiers_ = 0;
    // Who had the keyboard focus before a text field took it.
    bool holdsFocus_ = false;
    Window previousFocus_ = None;
    int previousRevertTo_ = RevertToParent;
    std::shared_ptr<bool> alive_ = std::make_shared<bool>(true);
};

}  // namespace

std::unique_ptr<PlatformWindow> createX11Window(void* parent, const CRect& size, PlatformWindowOwner& owner) {
    const uintptr_t parentId = reinterpret_cast<uintptr_t>(parent);
    if (parentId == 0 || parentId > kMaxResourceId) return nullptr;
    auto display = std::make_unique<X11Display>();
    if (!display->valid()) return nullptr;
    auto window = std::make_unique<X11Window>(std::move(display), size, owner);
    if (!window->create(static_cast<Window>(parentId))) return nullptr;
    return window;
}
