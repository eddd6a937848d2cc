#include "X11TestSupport.h"

#include <X11/Xutil.h>

#include <chrono>
#include <thread>

#include "host/WindowPixels.h"

FakeOwner::FakeOwner(int width, int height) {
    image = cairo_image_surface_create(CAIRO_FORMAT_ARGB32, width, height);
    paintPattern(0);
}

void FakeOwner::paintPattern(uint32_t variant) {
    cairo_surface_flush(image);
    unsigned char* data = cairo_image_surface_get_data(image);
    const int stride = cairo_image_surface_get_stride(image);
    for (int y = 0; y < cairo_image_surface_get_height(image); ++y) {
        auto* row = reinterpret_cast<uint32_t*>(data + y * stride);
        for (int x = 0; x < cairo_image_surface_get_width(image); ++x) row[x] = 0xff000000u | patternAt(x, y, variant);
    }
    cairo_surface_mark_dirty(image);
}

FakeOwner::~FakeOwner() { cairo_surface_destroy(image); }

uint32_t FakeOwner::patternAt(int x, int y, uint32_t variant) {
    const uint32_t rgb = (static_cast<uint32_t>(x * 7 + 13) & 0xff) << 16 |
                         (static_cast<uint32_t>(y * 11 + 5) & 0xff) << 8 | (static_cast<uint32_t>(x + 3 * y) & 0xff);
    return (rgb ^ variant) & 0xffffff;
}

std::vector<OwnerEvent> FakeOwner::of(OwnerEvent::Kind kind) const {
    std::vector<OwnerEvent> found;
    for (const OwnerEvent& e : events)
        if (e.kind == kind) found.push_back(e);
    return found;
}

void FakeOwner::platformMouseDown(CPoint where, long buttons) { events.push_back({OwnerEvent::Down, where, buttons}); }
void FakeOwner::platformMouseMoved(CPoint where, long buttons) {
    events.push_back({OwnerEvent::Moved, where, buttons});
}
void FakeOwner::platformMouseUp(CPoint where, long buttons) { events.push_back({OwnerEvent::Up, where, buttons}); }
void FakeOwner::platformMouseExited() { events.push_back({OwnerEvent::Exited, {}}); }
void FakeOwner::platformWheel(CPoint where, float distance, long buttons) {
    events.push_back({OwnerEvent::Wheel, where, buttons, distance});
}
bool FakeOwner::platformKeyDown(const VstKeyCode& key) {
    events.push_back({OwnerEvent::KeyDown, {}, 0, 0, key});
    return true;
}
bool FakeOwner::platformKeyUp(const VstKeyCode& key) {
    events.push_back({OwnerEvent::KeyUp, {}, 0, 0, key});
    return true;
}
cairo_surface_t* FakeOwner::platformImage() { return hideImage ? nullptr : image; }
void FakeOwner::platformWindowGone() {
    events.push_back({OwnerEvent::Gone, {}});
    if (onGone) onGone();
}

void FakeOwner::platformFocusLost() { events.push_back({OwnerEvent::FocusLost, {}}); }

std::vector<uint32_t> imagePixels(cairo_surface_t* image) {
    cairo_surface_flush(image);
    const unsigned char* data = cairo_image_surface_get_data(image);
    const int stride = cairo_image_surface_get_stride(image);
    std::vector<uint32_t> pixels;
    for (int y = 0; y < cairo_image_surface_get_height(image); ++y)
        for (int x = 0; x < cairo_image_surface_get_width(image); ++x)
            pixels.push_back(reinterpret_cast<const uint32_t*>(data + y * stride)[x] & 0xffffff);
    return pixels;
}

Window focusedWindow(Display* display) {
    Window focus = None;
    int revertTo;
    XGetInputFocus(display, &focus, &revertTo);
    return focus;
}

bool eventually(const std::function<bool()>& done, const std::function<void()>& step) {
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(3);
    for (;;) {
        if (step) step();
        if (done()) return true;
        if (std::chrono::steady_clock::now() > deadline) return false;
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
    }
}

HostDisplay::HostDisplay() : display_(XOpenDisplay(nullptr)) {}

HostDisplay::~HostDisplay() {
    if (display_) XCloseDisplay(display_);
}

Window HostDisplay::createParent(int width, int height, int depth, int screen) {
    if (screen >= ScreenCount(display_)) return None;
    XVisualInfo info{};
    info.visual = DefaultVisual(display_, screen);
    info.depth = DefaultDepth(display_, screen);
    if (depth && depth != info.depth && !XMatchVisualInfo(display_, screen, depth, TrueColor, &info)) return None;
    XSetWindowAttributes attributes{};
    attributes.colormap = XCreateColormap(display_, RootWindow(display_, screen), info.visual, AllocNone);
    attributes.border_pixel = 0;
    attributes.background_pixel = 0;
    Window parent = XCreateWindow(display_, RootWindow(display_, screen), 20, 30, width, height, 0, info.depth,
                                  InputOutput, info.visual, CWColormap | CWBorderPixel | CWBackPixel, &attributes);
    XMapWindow(display_, parent);
    XSync(display_, False);
    return parent;
}

std::vector<uint32_t> HostDisplay::screenshot(Window window, int width, int height) {
    return readWindowPixels(display_, window, width, height);
}

int ErrorsPassedOn::count = 0;

int ErrorsPassedOn::record(Display*, XErrorEvent*) {
    ++count;
    return 0;
}

ErrorsPassedOn::ErrorsPassedOn() {
    count = 0;
    before = XSetErrorHandler(record);
}

ErrorsPassedOn::~ErrorsPassedOn() { XSetErrorHandler(before); }
