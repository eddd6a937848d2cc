#include "WindowPixels.h"

#include <X11/Xutil.h>

namespace {

std::uint32_t channel(unsigned long pixel, unsigned long mask) {
    if (!mask) return 0;
    const int shift = __builtin_ctzl(mask);
    return static_cast<std::uint32_t>(((pixel & mask) >> shift) * 255 / (mask >> shift));
}

}  // namespace

std::vector<std::uint32_t> readWindowPixels(Display* display, Window window, int width, int height) {
    std::vector<std::uint32_t> pixels;
    XSync(display, False);
    XWindowAttributes attributes;
    if (width <= 0 || height <= 0 || !XGetWindowAttributes(display, window, &attributes)) return pixels;
    XImage* image = XGetImage(display, window, 0, 0, static_cast<unsigned>(width), static_cast<unsigned>(height),
                              AllPlanes, ZPixmap);
    if (!image) return pixels;
    const Visual* visual = attributes.visual;
    pixels.reserve(static_cast<std::size_t>(width) * static_cast<std::size_t>(height));
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x) {
            const unsigned long p = XGetPixel(image, x, y);
            pixels.push_back(channel(p, visual->red_mask) << 16 | channel(p, visual->green_mask) << 8 |
                             channel(p, visual->blue_mask));
        }
    XDestroyImage(image);
    return pixels;
}
