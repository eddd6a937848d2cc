// The window's picture on the server: a pixmap of the window's size holds the
// frame's image as last copied and is the window's background, so that the
// X server itself repaints whatever gets uncovered, also while the host
// lets us handle no events. Each copy goes into the pixmap and from there
// onto the window.
//
// On the usual visuals (24- or 32-bit TrueColor, 8 bits a channel in ARGB
// order) the image's own bytes go to the server with XPutImage; cairo-xlib
// converts for any other visual. (cairo-xlib on the usual visuals would do
// the same work but, in the cairo this is built with, leaks a little on
// every partial copy of an image that changed, as an editor's image does all
// the time.)
#pragma once

#include <X11/Xlib.h>

typedef struct _cairo_surface cairo_surface_t;

class X11ImageCopy {
public:
    // The pixmap starts black and becomes the window's background at once.
    X11ImageCopy(Display* display, Window window, Visual* visual, int depth, int width, int height);
    ~X11ImageCopy();
    X11ImageCopy(const X11ImageCopy&) = delete;
    X11ImageCopy& operator=(const X11ImageCopy&) = delete;

    // Pixels [left, right) x [top, bottom) of the window, from the same
    // pixels of the image; nothing for an image of another format.
    void copy(cairo_surface_t* image, int left, int top, int right, int bottom);

private:
    void putImage(cairo_surface_t* image, int left, int top, int right, int bottom);
    void drawWithCairo(cairo_surface_t* image, int left, int top, int right, int bottom);

    Display* display_;
    Window window_;
    Visual* visual_;
    int depth_;
    Pixmap pixmap_ = None;
    GC gc_ = nullptr;
    bool cairoLayout_ = false;  // the visual stores pixels as cairo does
    cairo_surface_t* cairoTarget_ = nullptr;
};
