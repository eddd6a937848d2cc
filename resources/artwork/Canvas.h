// The artwork program's drawing helpers on top of cairo: geometry, colours,
// image surfaces sized by bitmap id, gradients and text.
#pragma once

#include <cairo.h>

#include <cstdint>
#include <initializer_list>
#include <memory>
#include <string>

#include "editor/EditorLayout.h"

namespace art {

constexpr double pi = 3.14159265358979323846;

struct Rect {
    double left = 0, top = 0, right = 0, bottom = 0;
    static constexpr Rect of(layout::Box b) { return {double(b.left), double(b.top), double(b.right), double(b.bottom)}; }
    constexpr double width() const { return right - left; }
    constexpr double height() const { return bottom - top; }
    constexpr double centreX() const { return (left + right) / 2; }
    constexpr double centreY() const { return (top + bottom) / 2; }
    constexpr Rect inset(double d) const { return {left + d, top + d, right - d, bottom - d}; }
    constexpr Rect offset(double dx, double dy) const { return {left + dx, top + dy, right + dx, bottom + dy}; }
};

struct Point {
    double x, y;
};

// A point on a circle, for angles in degrees counted as in mathematics
// (counter-clockwise from 3 o'clock), on the screen whose y grows downwards.
Point onCircle(double cx, double cy, double radius, double degrees);

struct Colour {
    double r = 0, g = 0, b = 0, a = 1;
    constexpr Colour withAlpha(double alpha) const { return {r, g, b, alpha}; }
};
constexpr Colour rgb(int r, int g, int b) { return {r / 255.0, g / 255.0, b / 255.0, 1}; }

using SurfacePtr = std::unique_ptr<cairo_surface_t, decltype(&cairo_surface_destroy)>;
using ContextPtr = std::unique_ptr<cairo_t, decltype(&cairo_destroy)>;

SurfacePtr newSurface(int width, int height, bool withAlpha);
ContextPtr newContext(const SurfacePtr& surface);

// A bitmap of BitmapIds.h being drawn: a surface of the size the editor
// expects of it (transparent where it may be), and a context on it.
struct Drawing {
    explicit Drawing(int id);
    const bitmap::Info& info;
    SurfacePtr surface;
    ContextPtr context;
    cairo_t* const cr;
    double width() const { return info.width; }
    double frameHeight() const { return info.frameHeight(); }
    SurfacePtr finish() {  // the image, drawn
        context.reset();
        return std::move(surface);
    }
};

void setColour(cairo_t* cr, Colour c);
void fillRect(cairo_t* cr, Rect r, Colour c);
void roundedRect(cairo_t* cr, Rect r, double radius);
// Fills a circle with the current source.
void fillCircle(cairo_t* cr, double cx, double cy, double radius);
// A vertical gradient from `top` at y0 to `bottom` at y1, as the source.
void setVerticalGradient(cairo_t* cr, double y0, double y1, Colour top, Colour bottom);
// One-pixel lines along pixel rows and columns.
void hLine(cairo_t* cr, double x0, double x1, double y, Colour c);
void vLine(cairo_t* cr, double x, double y0, double y1, Colour c);

// A linear or radial gradient, to draw with.
class Gradient {
public:
    static Gradient linear(double x0, double y0, double x1, double y1);
    static Gradient radial(double cx0, double cy0, double r0, double cx1, double cy1, double r1);
    Gradient& stop(double offset, Colour c);
    struct Stop {
        double offset;
        Colour colour;
    };
    Gradient& stops(std::initializer_list<Stop> all);
    void use(cairo_t* cr) const { cairo_set_source(cr, pattern_.get()); }

private:
    explicit Gradient(cairo_pattern_t* p) : pattern_(p, cairo_pattern_destroy) {}
    std::shared_ptr<cairo_pattern_t> pattern_;
};

// Small deterministic noise, the same on every machine.
class Noise {
public:
    explicit Noise(std::uint32_t seed) : state_(seed) {}
    double next() {  // uniform in [0, 1)
        state_ = state_ * 1664525u + 1013904223u;
        return (state_ >> 8) / 16777216.0;
    }

private:
    std::uint32_t state_;
};

// ---- Text: Liberation Sans (Debian: fonts-liberation2), with fixed font
// options so that the output does not depend on the desktop's settings.

enum class Align { left, centre, right };

void useFont(cairo_t* cr, double size, bool bold = false);
double textWidth(cairo_t* cr, const std::string& text, double letterSpacing = 0);
// Draws `text` with its baseline at y, letter by letter when spaced out. The
// text starts on a whole pixel, and its baseline too, to keep it crisp.
void drawText(cairo_t* cr, const std::string& text, double x, double baseline, Align align, Colour colour,
              double letterSpacing = 0);

}  // namespace art
