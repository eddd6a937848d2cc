#include "support/TestBitmaps.h"

#include <cairo.h>

#include "support/Offscreen.h"

namespace offscreen {

CBitmap* makeStackedBitmap(int width, int frameHeight, const std::vector<CColor>& colours) {
    const int frames = static_cast<int>(colours.size());
    cairo_surface_t* image = cairo_image_surface_create(CAIRO_FORMAT_ARGB32, width, frameHeight * frames);
    cairo_t* cr = cairo_create(image);
    for (int k = 0; k < frames; ++k) {
        const CColor& c = colours[k];
        cairo_set_source_rgba(cr, c.red / 255.0, c.green / 255.0, c.blue / 255.0, c.alpha / 255.0);
        cairo_rectangle(cr, 0, k * frameHeight, width, frameHeight);
        cairo_fill(cr);
    }
    cairo_destroy(cr);
    auto* bitmap = new CBitmap(image);
    cairo_surface_destroy(image);
    return bitmap;
}

CColor Frame::pixel(int x, int y) const {
    frame_->updateDirtyViews();
    cairo_surface_t* image = frame_->getImage();
    cairo_surface_flush(image);
    const unsigned char* data = cairo_image_surface_get_data(image);
    const int stride = cairo_image_surface_get_stride(image);
    if (x < 0 || y < 0 || x >= cairo_image_surface_get_width(image) || y >= cairo_image_surface_get_height(image))
        return kTransparentCColor;
    // ARGB32 in native (little-endian) order: B, G, R, A; opaque pixels only
    // are compared, so premultiplication does not matter.
    const unsigned char* p = data + y * stride + x * 4;
    return CColor{p[2], p[1], p[0], p[3]};
}

}  // namespace offscreen
