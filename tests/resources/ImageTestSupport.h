// Decoding and reading the editor's bitmaps in tests (what the editor expects
// of each of them is bitmap::kAll).
#pragma once

#include "resources/BitmapIds.h"
#include "resources/BitmapResources.h"

#include <cairo.h>

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>

namespace resources::test {

struct Rgba {
    int r = 0, g = 0, b = 0, a = 0;
    bool operator==(const Rgba&) const = default;
    double luminance() const { return 0.2126 * r + 0.7152 * g + 0.0722 * b; }
};

// A decoded PNG: cairo's image surface, read pixel by pixel.
class Picture {
public:
    Picture() = default;
    explicit Picture(cairo_surface_t* surface) : surface_(surface, cairo_surface_destroy) {}

    // Decodes PNG bytes; an empty picture (ok() false) when they do not decode.
    static Picture decode(const unsigned char* data, std::size_t size) {
        struct Reader {
            const unsigned char* data;
            std::size_t left;
        } reader{data, data ? size : 0};
        auto read = [](void* closure, unsigned char* out, unsigned int length) -> cairo_status_t {
            auto* r = static_cast<Reader*>(closure);
            if (length > r->left) return CAIRO_STATUS_READ_ERROR;
            std::copy(r->data, r->data + length, out);
            r->data += length;
            r->left -= length;
            return CAIRO_STATUS_SUCCESS;
        };
        return Picture(cairo_image_surface_create_from_png_stream(read, &reader));
    }
    static Picture decode(ImageData image) { return decode(image.data, image.size); }
    static Picture load(const std::string& path) { return Picture(cairo_image_surface_create_from_png(path.c_str())); }

    bool ok() const { return surface_ && cairo_surface_status(surface_.get()) == CAIRO_STATUS_SUCCESS; }
    std::string status() const {
        return surface_ ? cairo_status_to_string(cairo_surface_status(surface_.get())) : "no surface";
    }
    int width() const { return cairo_image_surface_get_width(surface_.get()); }
    int height() const { return cairo_image_surface_get_height(surface_.get()); }
    cairo_format_t format() const { return cairo_image_surface_get_format(surface_.get()); }

    // The colour at (x, y), not premultiplied; alpha 255 where there is no alpha.
    Rgba pixel(int x, int y) const {
        cairo_surface_flush(surface_.get());
        const unsigned char* row = cairo_image_surface_get_data(surface_.get()) +
                                   static_cast<std::ptrdiff_t>(y) * cairo_image_surface_get_stride(surface_.get());
        const std::uint32_t p = reinterpret_cast<const std::uint32_t*>(row)[x];
        const int a = format() == CAIRO_FORMAT_ARGB32 ? int(p >> 24) : 255;
        auto channel = [a](std::uint32_t premultiplied) {
            return a == 0 ? 0 : int((premultiplied * 255 + a / 2) / a);
        };
        return {channel((p >> 16) & 0xff), channel((p >> 8) & 0xff), channel(p & 0xff), a};
    }

private:
    std::shared_ptr<cairo_surface_t> surface_;
};

// Whether the pixels of two pictures are the same over a w x h area.
inline bool sameArea(const Picture& a, int ax, int ay, const Picture& b, int bx, int by, int w, int h) {
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x)
            if (!(a.pixel(ax + x, ay + y) == b.pixel(bx + x, by + y))) return false;
    return true;
}

}  // namespace resources::test
