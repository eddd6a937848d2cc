#include "toolkit/CBitmap.h"

#include <cairo.h>

#include <cstring>

#include "resources/BitmapResources.h"
#include "toolkit/CDrawContext.h"

namespace {

struct PngReader {
    const unsigned char* data;
    std::size_t size;
    std::size_t position = 0;
};

cairo_status_t readPng(void* closure, unsigned char* out, unsigned int length) {
    auto* reader = static_cast<PngReader*>(closure);
    if (reader->size - reader->position < length) return CAIRO_STATUS_READ_ERROR;
    std::memcpy(out, reader->data + reader->position, length);
    reader->position += length;
    return CAIRO_STATUS_SUCCESS;
}

}  // namespace

CBitmap::CBitmap(int resourceId) : resourceId_(resourceId) {
    const resources::ImageData png = resources::findImage(resourceId);
    if (!png.data) return;
    PngReader reader{png.data, png.size};
    cairo_surface_t* image = cairo_image_surface_create_from_png_stream(readPng, &reader);
    if (cairo_surface_status(image) != CAIRO_STATUS_SUCCESS) {
        cairo_surface_destroy(image);
        return;
    }
    image_ = image;
    width_ = cairo_image_surface_get_width(image);
    height_ = cairo_image_surface_get_height(image);
}

CBitmap::CBitmap(cairo_surface_t* image) {
    if (!image || cairo_surface_status(image) != CAIRO_STATUS_SUCCESS) return;
    image_ = cairo_surface_reference(image);
    width_ = cairo_image_surface_get_width(image);
    height_ = cairo_image_surface_get_height(image);
}

CBitmap::~CBitmap() {
    if (image_) cairo_surface_destroy(image_);
}

void CBitmap::draw(CDrawContext* context, const CRect& dest, const CPoint& offset, float alpha) const {
    if (!image_ || !context || dest.isEmpty()) return;
    cairo_t* cr = context->getCairo();
    const CPoint origin = context->getOffset();
    const double x = dest.left + origin.x, y = dest.top + origin.y;
    cairo_save(cr);
    cairo_rectangle(cr, x, y, dest.width(), dest.height());
    cairo_clip(cr);
    cairo_set_source_surface(cr, image_, x - offset.x, y - offset.y);
    // Pixels beyond the picture stay untouched rather than smeared.
    cairo_pattern_set_extend(cairo_get_source(cr), CAIRO_EXTEND_NONE);
    cairo_pattern_set_filter(cairo_get_source(cr), CAIRO_FILTER_NEAREST);
    if (alpha >= 1.0f)
        cairo_paint(cr);
    else
        cairo_paint_with_alpha(cr, alpha);
    cairo_restore(cr);
}
