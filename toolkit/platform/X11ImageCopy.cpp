#include "toolkit/platform/X11ImageCopy.h"

#include <X11/Xutil.h>
#include <cairo-xlib.h>

#include <algorithm>
#include <bit>

namespace {

// Whether the server stores this visual's pixels as cairo stores ARGB32.
bool sameLayoutAsCairo(Display* display, Visual* visual, int depth) {
    if (visual->c_class != TrueColor || (depth != 24 && depth != 32)) return false;
    if (visual->red_mask != 0xff0000 || visual->green_mask != 0xff00 || visual->blue_mask != 0xff) return false;
    int count = 0;
    XPixmapFormatValues* formats = XListPixmapFormats(display, &count);
    bool fourBytes = false;
    for (int i = 0; i < count; ++i)
        if (formats[i].depth == depth) fourBytes = formats[i].bits_per_pixel == 32;
    if (formats) XFree(formats);
    return fourBytes;
}

}  // namespace

X11ImageCopy::X11ImageCopy(Display* display, Window window, Visual* visual, int depth, int width, int height)
    : display_(display), window_(window), visual_(visual), depth_(depth),
      cairoLayout_(sameLayoutAsCairo(display, visual, depth)) {
    pixmap_ = XCreatePixmap(display, window, width, height, depth);
    XGCValues values{};
    values.foreground = 0;
    values.graphics_exposures = False;  // copies come from a pixmap, always whole
    gc_ = XCreateGC(display, pixmap_, GCForeground | GCGraphicsExposures, &values);
    XFillRectangle(display, pixmap_, gc_, 0, 0, width, height);
    if (!cairoLayout_) cairoTarget_ = cairo_xlib_surface_create(display, pixmap_, visual, width, height);
    XSetWindowBackgroundPixmap(display, window, pixmap_);
}

X11ImageCopy::~X11ImageCopy() {
    if (cairoTarget_) cairo_surface_destroy(cairoTarget_);
    XFreeGC(display_, gc_);
    // The window keeps its background while it lives; the server frees the
    // pixmap with the last use.
    XFreePixmap(display_, pixmap_);
}

void X11ImageCopy::copy(cairo_surface_t* image, int left, int top, int right, int bottom) {
    if (!image || cairo_surface_status(image) != CAIRO_STATUS_SUCCESS ||
        cairo_surface_get_type(image) != CAIRO_SURFACE_TYPE_IMAGE ||
        cairo_image_surface_get_format(image) != CAIRO_FORMAT_ARGB32)
        return;
    right = std::min(right, cairo_image_surface_get_width(image));
    bottom = std::min(bottom, cairo_image_surface_get_height(image));
    left = std::max(left, 0);
    top = std::max(top, 0);
    if (right <= left || bottom <= top) return;
    if (cairoLayout_)
        putImage(image, left, top, right, bottom);
    else
        drawWithCairo(image, left, top, right, bottom);
    XCopyArea(display_, pixmap_, window_, gc_, left, top, right - left, bottom - top, left, top);
    // A server may have copied the pixmap when it became the background:
    // setting it again shows the new contents either way.
    XSetWindowBackgroundPixmap(display_, window_, pixmap_);
    XFlush(display_);
}

void X11ImageCopy::putImage(cairo_surface_t* image, int left, int top, int right, int bottom) {
    cairo_surface_flush(image);
    unsigned char* data = cairo_image_surface_get_data(image);
    if (!data) return;
    XImage* picture = XCreateImage(display_, visual_, depth_, ZPixmap, 0, reinterpret_cast<char*>(data),
                                   cairo_image_surface_get_width(image), cairo_image_surface_get_height(image), 32,
                                   cairo_image_surface_get_stride(image));
    if (!picture) return;
    // Cairo's pixels are 32-bit words in this machine's byte order; Xlib
    // swaps them for a server of the other order.
    picture->byte_order = std::endian::native == std::endian::little ? LSBFirst : MSBFirst;
    XPutImage(display_, pixmap_, gc_, picture, left, top, left, top, right - left, bottom - top);
    picture->data = nullptr;  // the image's bytes stay cairo's
    XDestroyImage(picture);
}

void X11ImageCopy::drawWithCairo(cairo_surface_t* image, int left, int top, int right, int bottom) {
    if (cairo_surface_status(cairoTarget_) != CAIRO_STATUS_SUCCESS) return;
    cairo_t* cr = cairo_create(cairoTarget_);
    cairo_set_operator(cr, CAIRO_OPERATOR_SOURCE);
    cairo_set_source_surface(cr, image, 0, 0);
    cairo_rectangle(cr, left, top, right - left, bottom - top);
    cairo_fill(cr);
    cairo_destroy(cr);
    cairo_surface_flush(cairoTarget_);
}
