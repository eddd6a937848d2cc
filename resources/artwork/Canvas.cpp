#include "resources/artwork/Canvas.h"

#include <cmath>
#include <cstdio>
#include <cstdlib>

namespace art {

Point onCircle(double cx, double cy, double radius, double degrees) {
    const double a = degrees * pi / 180;
    return {cx + radius * std::cos(a), cy - radius * std::sin(a)};
}

SurfacePtr newSurface(int width, int height, bool withAlpha) {
    return {cairo_image_surface_create(withAlpha ? CAIRO_FORMAT_ARGB32 : CAIRO_FORMAT_RGB24, width, height),
            cairo_surface_destroy};
}

namespace {
const bitmap::Info& infoOf(int id) {
    const bitmap::Info* info = bitmap::find(id);
    if (!info) {  // a mistake in this program, not in its input
        std::fprintf(stderr, "corvane-artwork: no bitmap %d in resources/BitmapIds.h\n", id);
        std::exit(1);
    }
    return *info;
}
}  // namespace

Drawing::Drawing(int id)
    : info(infoOf(id)),
      surface(newSurface(info.width, info.height, info.alpha)),
      context(newContext(surface)),
      cr(context.get()) {}

ContextPtr newContext(const SurfacePtr& surface) { return {cairo_create(surface.get()), cairo_destroy}; }

void setColour(cairo_t* cr, Colour c) { cairo_set_source_rgba(cr, c.r, c.g, c.b, c.a); }

void fillRect(cairo_t* cr, Rect r, Colour c) {
    setColour(cr, c);
    cairo_rectangle(cr, r.left, r.top, r.width(), r.height());
    cairo_fill(cr);
}

void roundedRect(cairo_t* cr, Rect r, double radius) {
    cairo_new_sub_path(cr);
    cairo_arc(cr, r.right - radius, r.top + radius, radius, -pi / 2, 0);
    cairo_arc(cr, r.right - radius, r.bottom - radius, radius, 0, pi / 2);
    cairo_arc(cr, r.left + radius, r.bottom - radius, radius, pi / 2, pi);
    cairo_arc(cr, r.left + radius, r.top + radius, radius, pi, 3 * pi / 2);
    cairo_close_path(cr);
}

void fillCircle(cairo_t* cr, double cx, double cy, double radius) {
    cairo_arc(cr, cx, cy, radius, 0, 2 * pi);
    cairo_fill(cr);
}

void setVerticalGradient(cairo_t* cr, double y0, double y1, Colour top, Colour bottom) {
    Gradient::linear(0, y0, 0, y1).stop(0, top).stop(1, bottom).use(cr);
}

void hLine(cairo_t* cr, double x0, double x1, double y, Colour c) { fillRect(cr, {x0, y, x1, y + 1}, c); }
void vLine(cairo_t* cr, double x, double y0, double y1, Colour c) { fillRect(cr, {x, y0, x + 1, y1}, c); }

Gradient Gradient::linear(double x0, double y0, double x1, double y1) {
    return Gradient(cairo_pattern_create_linear(x0, y0, x1, y1));
}

Gradient Gradient::radial(double cx0, double cy0, double r0, double cx1, double cy1, double r1) {
    return Gradient(cairo_pattern_create_radial(cx0, cy0, r0, cx1, cy1, r1));
}

Gradient& Gradient::stop(double offset, Colour c) {
    cairo_pattern_add_color_stop_rgba(pattern_.get(), offset, c.r, c.g, c.b, c.a);
    return *this;
}

Gradient& Gradient::stops(std::initializer_list<Stop> all) {
    for (const Stop& s : all) stop(s.offset, s.colour);
    return *this;
}

void useFont(cairo_t* cr, double size, bool bold) {
    cairo_select_font_face(cr, "Liberation Sans", CAIRO_FONT_SLANT_NORMAL,
                           bold ? CAIRO_FONT_WEIGHT_BOLD : CAIRO_FONT_WEIGHT_NORMAL);
    cairo_set_font_size(cr, size);
    cairo_font_options_t* options = cairo_font_options_create();
    cairo_font_options_set_antialias(options, CAIRO_ANTIALIAS_GRAY);
    cairo_font_options_set_hint_style(options, CAIRO_HINT_STYLE_SLIGHT);
    cairo_font_options_set_hint_metrics(options, CAIRO_HINT_METRICS_ON);
    cairo_set_font_options(cr, options);
    cairo_font_options_destroy(options);
}

double textWidth(cairo_t* cr, const std::string& text, double letterSpacing) {
    cairo_text_extents_t e;
    cairo_text_extents(cr, text.c_str(), &e);
    return e.x_advance + letterSpacing * (text.size() > 0 ? text.size() - 1 : 0);
}

void drawText(cairo_t* cr, const std::string& text, double x, double baseline, Align align, Colour colour,
              double letterSpacing) {
    const double width = textWidth(cr, text, letterSpacing);
    if (align == Align::centre) x -= width / 2;
    if (align == Align::right) x -= width;
    x = std::round(x);
    baseline = std::round(baseline);
    setColour(cr, colour);
    if (letterSpacing == 0) {
        cairo_move_to(cr, x, baseline);
        cairo_show_text(cr, text.c_str());
        return;
    }
    for (char c : text) {
        const std::string letter(1, c);
        cairo_move_to(cr, x, baseline);
        cairo_show_text(cr, letter.c_str());
        x += textWidth(cr, letter) + letterSpacing;
    }
}

}  // namespace art
