#include "EditorWindow.h"

#include <X11/Xutil.h>
#include <X11/extensions/shape.h>
#include <poll.h>

#include <chrono>
#include <cstdio>

#include "HostError.h"
#include "WindowPixels.h"
#include "toolkit/platform/X11Keys.h"

namespace {

constexpr auto kMapTimeout = std::chrono::seconds(5);

volatile std::sig_atomic_t signalled = 0;
void onSignal(int) { signalled = 1; }

// The editor's toolkit handles the errors of its own connection, or passes
// them on to us. A DAW keeps running through a plug-in's X error, and so do
// we, saying what it was; errors of our own connection (a window that cannot
// be read) are answered by the calls that made them.
Display* ownDisplay = nullptr;
int onXError(Display* display, XErrorEvent* error) {
    if (display == ownDisplay) return 0;
    char text[256] = {};
    XGetErrorText(display, error->error_code, text, sizeof text);
    std::fprintf(stderr, "corvane-host: X error from the plug-in (ignored): %s, request %d\n", text,
                 error->request_code);
    return 0;
}

}  // namespace

EditorWindow::EditorWindow(const std::string& title, int width, int height, Pointer pointer)
    : width_(width), height_(height) {
    XInitThreads();  // plug-ins may talk to the server from threads of their own
    const std::string name = XDisplayName(nullptr);
    if (name.empty()) throw HostError("no X display to show the editor on ($DISPLAY is not set)");
    display_ = XOpenDisplay(nullptr);
    if (!display_) throw HostError("cannot open the X display '" + name + "'");
    ownDisplay = display_;
    XSetErrorHandler(onXError);

    const int screen = DefaultScreen(display_);
    XSetWindowAttributes attributes{};
    attributes.background_pixel = BlackPixel(display_, screen);
    attributes.event_mask = StructureNotifyMask;
    if (pointer == Pointer::reaches) attributes.event_mask |= KeyPressMask | KeyReleaseMask;
    window_ = XCreateWindow(display_, RootWindow(display_, screen), 0, 0, static_cast<unsigned>(width_),
                            static_cast<unsigned>(height_), 0, CopyFromParent, InputOutput, CopyFromParent,
                            CWBackPixel | CWEventMask, &attributes);
    XStoreName(display_, window_, title.c_str());
    XClassHint classHint{const_cast<char*>("corvane-host"), const_cast<char*>("corvane-host")};
    XSetClassHint(display_, window_, &classHint);
    deleteWindow_ = XInternAtom(display_, "WM_DELETE_WINDOW", False);
    XSetWMProtocols(display_, window_, &deleteWindow_, 1);
    fixSize();
    if (pointer == Pointer::passesThrough) passPointerThrough();
    XMapRaised(display_, window_);
    waitForMap();

    // Ctrl+C closes the editor as the window's close button does.
    struct sigaction action {};
    action.sa_handler = onSignal;
    sigemptyset(&action.sa_mask);
    signalled = 0;
    sigaction(SIGINT, &action, &previousInt_);
    sigaction(SIGTERM, &action, &previousTerm_);
}

EditorWindow::~EditorWindow() {
    sigaction(SIGINT, &previousInt_, nullptr);
    sigaction(SIGTERM, &previousTerm_, nullptr);
    XDestroyWindow(display_, window_);
    XCloseDisplay(display_);
    ownDisplay = nullptr;
}

// An empty input shape, set before the window is mapped: the server looks
// for the window under the pointer only inside input shapes, and never below
// a window it passed over, so neither ours nor the editor's child window ever
// gets a crossing or motion event, not even the Enter of a window that is
// mapped under a resting pointer.
void EditorWindow::passPointerThrough() {
    int eventBase = 0, errorBase = 0, major = 0, minor = 0;
    // Input shapes came with version 1.1 (2006); every server in use has it.
    if (!XShapeQueryExtension(display_, &eventBase, &errorBase) || !XShapeQueryVersion(display_, &major, &minor) ||
        (major == 1 && minor < 1)) {
        std::fprintf(stderr, "corvane-host: the X server cannot let the pointer pass through a window; "
                             "the picture may show what lies under the pointer\n");
        return;
    }
    XShapeCombineRectangles(display_, window_, ShapeInput, 0, 0, nullptr, 0, ShapeSet, Unsorted);
}

// Editors have one size; the window manager is told so.
void EditorWindow::fixSize() {
    XSizeHints* hints = XAllocSizeHints();
    hints->flags = PMinSize | PMaxSize;
    hints->min_width = hints->max_width = width_;
    hints->min_height = hints->max_height = height_;
    XSetWMNormalHints(display_, window_, hints);
    XFree(hints);
}

void EditorWindow::waitForMap() {
    const auto deadline = std::chrono::steady_clock::now() + kMapTimeout;
    XEvent event;
    while (!XCheckTypedWindowEvent(display_, window_, MapNotify, &event)) {
        if (std::chrono::steady_clock::now() > deadline) throw HostError("the editor's window was not shown");
        wait(20);
    }
}

void EditorWindow::resize(int width, int height) {
    if (width == width_ && height == height_) return;
    width_ = width;
    height_ = height;
    fixSize();
    XResizeWindow(display_, window_, static_cast<unsigned>(width), static_cast<unsigned>(height));
    XFlush(display_);
}

bool EditorWindow::handleEvents() {
    while (XPending(display_)) {
        XEvent event;
        XNextEvent(display_, &event);
        if (event.type == ClientMessage && event.xclient.window == window_ &&
            static_cast<Atom>(event.xclient.data.l[0]) == deleteWindow_)
            closeRequested_ = true;
        if (event.type == DestroyNotify && event.xdestroywindow.window == window_) closeRequested_ = true;
        if (event.type == KeyPress || event.type == KeyRelease) {
            // The symbol as typed, Shift and Lock applied.
            KeySym keysym = NoSymbol;
            char text[8];
            XLookupString(&event.xkey, text, sizeof text, &keysym, nullptr);
            if (const auto code = translateX11Key(keysym, event.xkey.state))
                keys_.push_back({event.type == KeyPress, *code});
        }
    }
    return !closeRequested_ && !signalled;
}

std::vector<EditorWindow::Key> EditorWindow::takeKeys() {
    std::vector<Key> keys;
    keys.swap(keys_);
    return keys;
}

void EditorWindow::wait(int milliseconds) {
    XFlush(display_);
    if (XPending(display_) || signalled) return;
    pollfd p{ConnectionNumber(display_), POLLIN, 0};
    poll(&p, 1, milliseconds);  // a signal ends it early
}

std::vector<std::uint32_t> EditorWindow::pixels() {
    auto pixels = readWindowPixels(display_, window_, width_, height_);
    if (pixels.empty())
        throw HostError("cannot read the editor's window from the X server (is it partly off the screen?)");
    return pixels;
}
