// The editor's artwork of Arlo Corvane, drawn with cairo.
//
//   corvane-artwork OUTPUT_DIR [--preview FILE [--scale N]]
//
// writes every bitmap of the editor as OUTPUT_DIR/<resource id>.png. The PNG
// files committed in resources/images are this program's output (the build
// target corvane-images runs `corvane-artwork resources/images`); the build
// embeds them into the plug-in, so building it needs neither this program nor
// its font. With --preview it also writes a picture of the whole editor: the
// background with every control's bitmap at its place, sample texts in the
// displays and the about screen beside it, to check the alignment by eye.
//
// Text is drawn with cairo's toy font API in Liberation Sans (Debian package
// fonts-liberation2), with fixed font options so that the output does not
// depend on the desktop's settings.

#include <cairo.h>
#include <fontconfig/fontconfig.h>

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <functional>
#include <memory>
#include <string>
#include <vector>

namespace {

constexpr double pi = 3.14159265358979323846;

// ---- Geometry and colours -----------------------------------------------------

struct Rect {
    double left = 0, top = 0, right = 0, bottom = 0;
    constexpr double width() const { return right - left; }
    constexpr double height() const { return bottom - top; }
    constexpr double centreX() const { return (left + right) / 2; }
    constexpr double centreY() const { return (top + bottom) / 2; }
    constexpr Rect inset(double d) const { return {left + d, top + d, right - d, bottom - d}; }
    constexpr Rect offset(double dx, double dy) const { return {left + dx, top + dy, right + dx, bottom + dy}; }
};

struct Colour {
    double r = 0, g = 0, b = 0, a = 1;
    constexpr Colour withAlpha(double alpha) const { return {r, g, b, alpha}; }
};
constexpr Colour rgb(int r, int g, int b) { return {r / 255.0, g / 255.0, b / 255.0, 1}; }

namespace palette {
constexpr Colour panelTop = rgb(68, 72, 78);      // the brushed panel, lit from above
constexpr Colour panelBottom = rgb(40, 42, 47);
constexpr Colour label = rgb(222, 225, 229);      // engraved labels on the panel
constexpr Colour accent = rgb(238, 160, 62);      // amber: the colour of the strings
constexpr Colour warmWhite = rgb(243, 238, 228);
constexpr Colour display = rgb(189, 207, 218);    // the value windows, as the name field's back colour
constexpr Colour strip = rgb(27, 28, 31);         // the preset strip along the bottom
constexpr Colour stripLabel = rgb(196, 200, 206);
constexpr Colour well = rgb(20, 21, 24);          // around the bypass button and in the LED's bezel
constexpr Colour black = rgb(0, 0, 0);
constexpr Colour white = rgb(255, 255, 255);
}  // namespace palette

// ---- The editor's layout (from the editor's control rectangles) --------------

namespace id {
constexpr int background = 1128, largeHandle = 1129, smallHandle = 1130;
constexpr int bypassLed = 1131, bypassButton = 1132, about = 1200;
constexpr int defaultBank = 19990, defaultPreset = 19899;
constexpr int recallA = 19991, recallB = 19992, storeA = 19995, storeB = 19996;
constexpr int loadBank = 19993, saveBank = 19994, loadPreset = 19998, savePreset = 19999;
constexpr int stepSwitch = 19997;
}  // namespace id

namespace layout {
constexpr int width = 320, height = 257;
constexpr Rect aboutArea{50, 10, 280, 47};  // the title plate; a click shows the about screen

struct Knob {
    Rect rect;
    const char* label;
    Rect display;  // where the control prints the value
    bool large;
    double labelShift = 0;  // moves the label aside, clear of the transpose value
};
constexpr Knob knobs[] = {
    {{50, 71, 95, 116}, "decay time", {48, 120, 98, 134}, true},
    {{224, 71, 269, 116}, "damping", {222, 120, 272, 134}, true},
    {{149, 86, 171, 108}, "transpose", {135, 112, 185, 126}, false},
    {{108, 123, 130, 145}, "tune", {95, 148, 145, 162}, false, -2},
    {{189, 123, 211, 145}, "detune", {176, 148, 226, 162}, false, 2},
    {{64, 164, 86, 186}, "mix", {51, 189, 101, 203}, false},
    {{233, 164, 255, 186}, "output", {219, 189, 269, 203}, false},
};
constexpr Rect bypassButton{131, 162, 193, 190};
constexpr Rect bypassLed{155, 135, 165, 145};

constexpr double stripTop = 222;  // the preset strip: from here to the bottom
constexpr Rect nameField{96, 233, 212, 248};
constexpr Rect menuSymbol{214, 237, 224, 251};
constexpr Rect stepSwitch{230, 234, 261, 248};

struct Button {
    int image;
    Rect rect;
};
constexpr Button stripButtons[] = {
    {id::savePreset, {11, 226, 23, 240}},  {id::defaultPreset, {27, 229, 74, 239}},
    {id::loadPreset, {76, 226, 88, 240}},  {id::saveBank, {11, 241, 23, 255}},
    {id::defaultBank, {32, 243, 69, 253}}, {id::loadBank, {76, 241, 88, 255}},
    {id::storeA, {269, 226, 281, 240}},    {id::recallA, {293, 226, 305, 240}},
    {id::storeB, {269, 241, 281, 253}},    {id::recallB, {293, 241, 305, 253}},
    {id::stepSwitch, stepSwitch},
};
constexpr double memoLabelX = 287;  // "A" and "B", between the store and the recall buttons

// A knob (toolkit/CKnob) turns its handle from 225 degrees (lower left) over
// the top to -45 degrees (lower right), around the centre of its rectangle, so
// that the handle stays `handleInset` pixels inside the rectangle: the large
// handle's centre runs on a circle of radius 15, the small one's of radius 5.
constexpr double startAngle = 225, sweepAngle = -270, handleInset = 3;
constexpr double largeHandle = 9, smallHandle = 6;
constexpr double handleSize(const Knob& k) { return k.large ? largeHandle : smallHandle; }
constexpr double handleRadius(const Knob& k) { return k.rect.width() / 2 - handleInset - handleSize(k) / 2; }
}  // namespace layout

// ---- Small drawing helpers -------------------------------------------------

using SurfacePtr = std::unique_ptr<cairo_surface_t, decltype(&cairo_surface_destroy)>;
using ContextPtr = std::unique_ptr<cairo_t, decltype(&cairo_destroy)>;

SurfacePtr newSurface(int width, int height, bool withAlpha) {
    return {cairo_image_surface_create(withAlpha ? CAIRO_FORMAT_ARGB32 : CAIRO_FORMAT_RGB24, width, height),
            cairo_surface_destroy};
}
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

// A linear or radial gradient, to draw with.
class Gradient {
public:
    static Gradient linear(double x0, double y0, double x1, double y1) {
        return Gradient(cairo_pattern_create_linear(x0, y0, x1, y1));
    }
    static Gradient radial(double cx0, double cy0, double r0, double cx1, double cy1, double r1) {
        return Gradient(cairo_pattern_create_radial(cx0, cy0, r0, cx1, cy1, r1));
    }
    Gradient& stop(double offset, Colour c) {
        cairo_pattern_add_color_stop_rgba(pattern_.get(), offset, c.r, c.g, c.b, c.a);
        return *this;
    }
    void use(cairo_t* cr) const { cairo_set_source(cr, pattern_.get()); }

private:
    explicit Gradient(cairo_pattern_t* p) : pattern_(p, cairo_pattern_destroy) {}
    std::shared_ptr<cairo_pattern_t> pattern_;
};

// A vertical gradient from `top` at y0 to `bottom` at y1, as the source.
void setVerticalGradient(cairo_t* cr, double y0, double y1, Colour top, Colour bottom) {
    Gradient::linear(0, y0, 0, y1).stop(0, top).stop(1, bottom).use(cr);
}

// A horizontal or vertical 1-pixel line along pixel row/column edges.
void hLine(cairo_t* cr, double x0, double x1, double y, Colour c) {
    setColour(cr, c);
    cairo_rectangle(cr, x0, y, x1 - x0, 1);
    cairo_fill(cr);
}
void vLine(cairo_t* cr, double x, double y0, double y1, Colour c) {
    setColour(cr, c);
    cairo_rectangle(cr, x, y0, 1, y1 - y0);
    cairo_fill(cr);
}

// A point on a circle, for angles in degrees counted as in mathematics
// (counter-clockwise from 3 o'clock), on the screen whose y grows downwards.
struct Point {
    double x, y;
};
Point onCircle(double cx, double cy, double radius, double degrees) {
    const double a = degrees * pi / 180;
    return {cx + radius * std::cos(a), cy - radius * std::sin(a)};
}

// Small deterministic noise for the brushed metal, the same on every machine.
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

// ---- Text ----------------------------------------------------------------------

enum class Align { left, centre, right };

void useFont(cairo_t* cr, double size, bool bold = false) {
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

double textWidth(cairo_t* cr, const std::string& text, double letterSpacing = 0) {
    cairo_text_extents_t e;
    cairo_text_extents(cr, text.c_str(), &e);
    return e.x_advance + letterSpacing * (text.size() > 0 ? text.size() - 1 : 0);
}

// Draws `text` with its baseline at y, letter by letter when spaced out. The
// text starts on a whole pixel, and its baseline too, to keep it crisp.
void drawText(cairo_t* cr, const std::string& text, double x, double baseline, Align align,
              Colour colour, double letterSpacing = 0) {
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

// A label engraved in the panel: light text over a dark shadow one pixel down.
void engravedText(cairo_t* cr, const std::string& text, double x, double baseline, Align align,
                  Colour colour = palette::label) {
    drawText(cr, text, x, baseline + 1, align, palette::black.withAlpha(0.7));
    drawText(cr, text, x, baseline, align, colour);
}

// ---- Panel elements ----------------------------------------------------------------

// Brushed dark metal: a vertical gradient with fine horizontal streaks.
void brushedMetal(cairo_t* cr, Rect r, Colour top, Colour bottom, std::uint32_t seed) {
    setVerticalGradient(cr, r.top, r.bottom, top, bottom);
    cairo_rectangle(cr, r.left, r.top, r.width(), r.height());
    cairo_fill(cr);

    cairo_save(cr);
    cairo_rectangle(cr, r.left, r.top, r.width(), r.height());
    cairo_clip(cr);
    Noise noise(seed);
    for (double y = r.top; y < r.bottom; y += 1) {
        const int streaks = 3 + static_cast<int>(noise.next() * 4);
        for (int i = 0; i < streaks; ++i) {
            const double x = r.left - 40 + noise.next() * (r.width() + 40);
            const double length = 30 + noise.next() * 180;
            const bool light = noise.next() < 0.5;
            const double alpha = 0.015 + noise.next() * 0.045;
            setColour(cr, (light ? palette::white : palette::black).withAlpha(alpha));
            cairo_rectangle(cr, x, y, length, 1);
            cairo_fill(cr);
        }
    }
    cairo_restore(cr);
}

// A slotted screw head.
void screw(cairo_t* cr, double cx, double cy, double slotDegrees) {
    const double radius = 4;
    setColour(cr, palette::black.withAlpha(0.45));  // its countersink
    cairo_arc(cr, cx, cy + 0.5, radius + 1, 0, 2 * pi);
    cairo_fill(cr);

    Gradient head = Gradient::linear(cx - radius, cy - radius, cx + radius, cy + radius);
    head.stop(0, Colour{0.72, 0.74, 0.77});
    head.stop(1, Colour{0.30, 0.31, 0.34});
    head.use(cr);
    cairo_arc(cr, cx, cy, radius, 0, 2 * pi);
    cairo_fill(cr);

    const Point a = onCircle(cx, cy, radius - 0.8, slotDegrees);
    const Point b = onCircle(cx, cy, radius - 0.8, slotDegrees + 180);
    cairo_set_line_width(cr, 1.2);
    setColour(cr, palette::black.withAlpha(0.75));
    cairo_move_to(cr, a.x, a.y);
    cairo_line_to(cr, b.x, b.y);
    cairo_stroke(cr);
}

// A window recessed into the panel around `r`, whose inside is left plain in
// `fill`: a dark rim just outside it and a lit edge below and to the right.
void recessedWindow(cairo_t* cr, Rect r, Colour fill) {
    setColour(cr, palette::white.withAlpha(0.16));  // the lit lower and right edges
    cairo_rectangle(cr, r.left - 1, r.top - 1, r.width() + 3, r.height() + 3);
    cairo_fill(cr);
    setColour(cr, palette::black.withAlpha(0.55));  // the shadowed upper and left edges
    cairo_rectangle(cr, r.left - 2, r.top - 2, r.width() + 3, r.height() + 3);
    cairo_fill(cr);
    fillRect(cr, r.inset(-1), rgb(12, 13, 15));      // the rim
    fillRect(cr, r, fill);
}

// The fixed part of a knob: its scale and its body. The control draws only the
// handle, circling over the body's rim.
// Returns where the scale ends at the top, for the label above it.
double knobBody(cairo_t* cr, const layout::Knob& knob) {
    const double cx = knob.rect.centreX(), cy = knob.rect.centreY();
    const double radius = knob.rect.width() / 2 - 0.5;      // the body; the handle runs on its cap
    const double tickIn = radius + (knob.large ? 2 : 1.5);   // the scale around it
    const double tickOut = tickIn + (knob.large ? 3.5 : 2.5);
    const int ticks = 11;

    // The scale: eleven ticks over the sweep, the two ends and the middle longer.
    cairo_set_line_cap(cr, CAIRO_LINE_CAP_ROUND);
    for (int i = 0; i < ticks; ++i) {
        const double degrees = layout::startAngle + layout::sweepAngle * i / (ticks - 1);
        const bool major = i == 0 || i == ticks - 1 || i == ticks / 2;
        const Point a = onCircle(cx, cy, tickIn, degrees);
        const Point b = onCircle(cx, cy, tickOut + (major ? 1 : 0), degrees);
        cairo_set_line_width(cr, major ? 1.3 : 1.0);
        setColour(cr, palette::label.withAlpha(major ? 0.85 : 0.5));
        cairo_move_to(cr, a.x, a.y);
        cairo_line_to(cr, b.x, b.y);
        cairo_stroke(cr);
    }
    cairo_set_line_cap(cr, CAIRO_LINE_CAP_BUTT);

    // Its shadow on the panel.
    Gradient shadow = Gradient::radial(cx, cy + 1.5, radius - 2, cx, cy + 1.5, radius + 2.5);
    shadow.stop(0, Colour{0, 0, 0, 0.6});
    shadow.stop(1, Colour{0, 0, 0, 0});
    shadow.use(cr);
    cairo_arc(cr, cx, cy + 1.5, radius + 2.5, 0, 2 * pi);
    cairo_fill(cr);

    // The skirt: dark metal, lit at the upper left.
    Gradient skirt = Gradient::linear(cx - radius, cy - radius, cx + radius, cy + radius);
    skirt.stop(0, Colour{0.42, 0.44, 0.47});
    skirt.stop(0.5, Colour{0.17, 0.18, 0.20});
    skirt.stop(1, Colour{0.08, 0.08, 0.09});
    skirt.use(cr);
    cairo_arc(cr, cx, cy, radius, 0, 2 * pi);
    cairo_fill(cr);

    // The cap: slightly domed, with fine concentric turning marks.
    const double cap = radius - (knob.large ? 2.5 : 1.5);
    Gradient face = Gradient::radial(cx - cap * 0.35, cy - cap * 0.45, 0, cx, cy, cap);
    face.stop(0, Colour{0.36, 0.38, 0.41});
    face.stop(1, Colour{0.16, 0.17, 0.19});
    face.use(cr);
    cairo_arc(cr, cx, cy, cap, 0, 2 * pi);
    cairo_fill(cr);
    cairo_set_line_width(cr, 0.5);
    for (double r = 1.5; r < cap - 0.5; r += 1.5) {
        setColour(cr, (static_cast<int>(r / 1.5) % 2 ? palette::white : palette::black).withAlpha(0.05));
        cairo_arc(cr, cx, cy, r, 0, 2 * pi);
        cairo_stroke(cr);
    }
    // The cap's edge: a thin highlight at the top, shadow at the bottom.
    cairo_set_line_width(cr, 1);
    Gradient edge = Gradient::linear(0, cy - cap, 0, cy + cap);
    edge.stop(0, Colour{1, 1, 1, 0.35});
    edge.stop(0.5, Colour{1, 1, 1, 0.0});
    edge.stop(1, Colour{0, 0, 0, 0.5});
    edge.use(cr);
    cairo_arc(cr, cx, cy, cap - 0.5, 0, 2 * pi);
    cairo_stroke(cr);
    return cy - tickOut - 1;
}

// A few vibrating strings: the product's emblem. Each string is drawn at
// rest, over the blur of its standing wave (mode 1, 2 or 3), the lower
// strings thicker.
void vibratingStrings(cairo_t* cr, Rect r, int count, Colour colour, double amplitude, double thickness) {
    auto wave = [&](double y, int mode, double a, int side) {
        for (double x = r.left; x <= r.right + 0.01; x += 0.5) {
            const double t = (x - r.left) / r.width();
            cairo_line_to(cr, x, y + side * a * std::sin(mode * pi * t));
        }
    };
    for (int s = 0; s < count; ++s) {
        const double y = count == 1 ? r.centreY() : r.top + r.height() * s / (count - 1);
        const int mode = 1 + (s * 2) % 3;
        const double a = amplitude * (1.0 - 0.12 * s);
        const double width = thickness * (0.6 + 0.4 * s / std::max(count - 1, 1));

        // The blur: the area the string sweeps, its edges a little stronger.
        cairo_move_to(cr, r.left, y);
        wave(y, mode, a, -1);
        cairo_new_sub_path(cr);
        cairo_move_to(cr, r.left, y);
        wave(y, mode, a, 1);
        cairo_set_line_width(cr, 0.6);
        setColour(cr, colour.withAlpha(0.4));
        cairo_stroke(cr);
        cairo_move_to(cr, r.left, y);
        wave(y, mode, a, -1);
        for (double x = r.right; x >= r.left - 0.01; x -= 0.5) {
            const double t = (x - r.left) / r.width();
            cairo_line_to(cr, x, y + a * std::sin(mode * pi * t));
        }
        cairo_close_path(cr);
        setColour(cr, colour.withAlpha(0.14));
        cairo_fill(cr);

        // The string at rest.
        cairo_move_to(cr, r.left, y);
        cairo_line_to(cr, r.right, y);
        cairo_set_line_width(cr, width);
        setColour(cr, colour);
        cairo_stroke(cr);
    }
}

// The title plate: a dark recessed plate carrying the product's name.
void titlePlate(cairo_t* cr) {
    const Rect plate = layout::aboutArea;
    setColour(cr, palette::white.withAlpha(0.14));  // lit lower edge of the recess
    roundedRect(cr, plate.offset(0, 1), 4);
    cairo_fill(cr);
    setColour(cr, rgb(8, 8, 10));
    roundedRect(cr, plate, 4);
    cairo_fill(cr);
    setVerticalGradient(cr, plate.top, plate.bottom, rgb(34, 36, 40), rgb(20, 21, 24));
    roundedRect(cr, plate.inset(1), 3);
    cairo_fill(cr);
    hLine(cr, plate.left + 4, plate.right - 4, plate.top + 1, palette::black.withAlpha(0.5));  // inner shadow

    useFont(cr, 17, true);
    drawText(cr, "Arlo Corvane", plate.centreX(), plate.top + 22, Align::centre, palette::warmWhite);
    useFont(cr, 8);
    drawText(cr, "STRING RESONATOR", plate.centreX(), plate.top + 32.5, Align::centre, palette::accent, 1.6);

    // The emblem on both sides of the name.
    vibratingStrings(cr, {plate.left + 10, plate.top + 12, plate.left + 52, plate.bottom - 12}, 4, palette::accent, 2.2, 1);
    vibratingStrings(cr, {plate.right - 52, plate.top + 12, plate.right - 10, plate.bottom - 12}, 4, palette::accent, 2.2, 1);
}

// ---- The preset strip's keys ---------------------------------------------------------

enum class KeyState { normal, hover, pressed };
constexpr KeyState keyStates[] = {KeyState::normal, KeyState::hover, KeyState::pressed};

Colour symbolColour(KeyState s) {
    switch (s) {
    case KeyState::normal: return rgb(198, 202, 208);
    case KeyState::hover: return palette::white;
    case KeyState::pressed: return palette::accent;
    }
    return palette::white;
}

// The face of a key in the strip: raised, lighter under the mouse, sunk and
// darker while pressed. Draws the key's face only (clip for half keys).
void keyFace(cairo_t* cr, Rect r, KeyState s, double radius) {
    setColour(cr, rgb(8, 8, 9));  // the outline
    roundedRect(cr, r, radius);
    cairo_fill(cr);

    const Rect face = r.inset(1);
    switch (s) {
    case KeyState::normal: setVerticalGradient(cr, face.top, face.bottom, rgb(78, 82, 89), rgb(50, 53, 58)); break;
    case KeyState::hover: setVerticalGradient(cr, face.top, face.bottom, rgb(98, 103, 111), rgb(64, 68, 74)); break;
    case KeyState::pressed: setVerticalGradient(cr, face.top, face.bottom, rgb(30, 32, 35), rgb(44, 46, 50)); break;
    }
    roundedRect(cr, face, std::max(radius - 1, 0.5));
    cairo_fill(cr);

    if (s == KeyState::pressed) {  // sunk: shadow along the top
        hLine(cr, face.left, face.right, face.top, palette::black.withAlpha(0.55));
    } else {                       // raised: light along the top
        hLine(cr, face.left + 1, face.right - 1, face.top, palette::white.withAlpha(s == KeyState::hover ? 0.3 : 0.2));
    }
}

// Load (up, out of the tray) or save (down, into the tray), in a 12 x 12 key.
void trayArrowSymbol(cairo_t* cr, Rect key, bool down, Colour c) {
    const double x = key.left, y = key.top;
    setColour(cr, c);
    // The tray.
    cairo_rectangle(cr, x + 2, y + 7, 1, 3);
    cairo_rectangle(cr, x + 9, y + 7, 1, 3);
    cairo_rectangle(cr, x + 2, y + 9, 8, 1);
    cairo_fill(cr);
    // The arrow.
    if (down) {
        cairo_rectangle(cr, x + 5, y + 2, 2, 3);
        cairo_move_to(cr, x + 3, y + 5);
        cairo_line_to(cr, x + 9, y + 5);
        cairo_line_to(cr, x + 6, y + 8);
    } else {
        cairo_rectangle(cr, x + 5, y + 5, 2, 3);
        cairo_move_to(cr, x + 3, y + 5);
        cairo_line_to(cr, x + 9, y + 5);
        cairo_line_to(cr, x + 6, y + 2);
    }
    cairo_close_path(cr);
    cairo_fill(cr);
}

// Store (a dot, as "record") or recall (a triangle, as "play"), in a 12 x 12 key.
void memoSymbol(cairo_t* cr, Rect key, bool store, Colour c) {
    setColour(cr, c);
    const double cx = key.centreX(), cy = key.centreY();
    if (store) {
        cairo_arc(cr, cx, cy, 2.3, 0, 2 * pi);
    } else {
        cairo_move_to(cr, cx - 2, cy - 3);
        cairo_line_to(cr, cx + 2.5, cy);
        cairo_line_to(cr, cx - 2, cy + 3);
        cairo_close_path(cr);
    }
    cairo_fill(cr);
}

// A button of the strip: 3 frames of 12 x 14 (normal, hover, pressed), with a
// 12 x 12 key at row `keyTop` of each frame; the rest is the strip itself.
using SymbolDrawer = std::function<void(cairo_t*, Rect key, Colour)>;

SurfacePtr stripKey(double keyTop, const SymbolDrawer& symbol) {
    const int w = 12, frameHeight = 14;
    SurfacePtr surface = newSurface(w, frameHeight * 3, false);
    ContextPtr cr = newContext(surface);
    for (int f = 0; f < 3; ++f) {
        const double y = f * frameHeight;
        fillRect(cr.get(), {0, y, double(w), y + frameHeight}, palette::strip);
        const Rect key{0, y + keyTop, 12, y + keyTop + 12};
        keyFace(cr.get(), key, keyStates[f], 2);
        const double sink = keyStates[f] == KeyState::pressed ? 0.5 : 0;
        symbol(cr.get(), key.offset(0, sink), symbolColour(keyStates[f]));
    }
    return surface;
}

// A small circular arrow: "back to the default".
void resetSymbol(cairo_t* cr, double cx, double cy, Colour c) {
    const double radius = 2.4;
    setColour(cr, c);
    cairo_set_line_width(cr, 1.1);
    cairo_arc(cr, cx, cy, radius, -0.25 * pi, 1.35 * pi);
    cairo_stroke(cr);
    const Point tip = onCircle(cx, cy, radius, 45);  // the arrow's head at the gap
    cairo_move_to(cr, tip.x + 1.6, tip.y - 1.9);
    cairo_line_to(cr, tip.x + 1.0, tip.y + 1.3);
    cairo_line_to(cr, tip.x - 2.0, tip.y - 0.4);
    cairo_close_path(cr);
    cairo_fill(cr);
}

// The plates that load the default preset or bank on a double click: 3 frames
// (normal, hover, pressed) of w x 10. They carry the name of their row of the
// strip ("preset" or "bank": the buttons leave no room for a label beside
// them) after a circular arrow saying "default".
SurfacePtr defaultPlate(int w, const std::string& text) {
    const int frameHeight = 10;
    SurfacePtr surface = newSurface(w, frameHeight * 3, false);
    ContextPtr c = newContext(surface);
    cairo_t* cr = c.get();
    for (int f = 0; f < 3; ++f) {
        const double y = f * frameHeight;
        fillRect(cr, {0, y, double(w), y + frameHeight}, palette::strip);
        keyFace(cr, {0, y, double(w), y + frameHeight}, keyStates[f], 2);
        useFont(cr, 7, true);
        const double sink = keyStates[f] == KeyState::pressed ? 1 : 0;
        const double symbolWidth = 6, space = 2;
        const double spacing = 0.4;
        const double left = std::round((w - symbolWidth - space - textWidth(cr, text, spacing)) / 2);
        resetSymbol(cr, left + symbolWidth / 2, y + 5 + sink, symbolColour(keyStates[f]));
        drawText(cr, text, left + symbolWidth + space, y + 7 + sink, Align::left, symbolColour(keyStates[f]), spacing);
    }
    return surface;
}

// The step switch: 5 frames of 31 x 14, a rocker with a left and a right
// half: 0 rest, 1 and 2 the mouse over the left or the right half, 3 and 4
// the left or the right half pressed. Each half is drawn on its own, so a
// frame differs from the rest only in its active half.
SurfacePtr stepSwitch() {
    const int w = 31, frameHeight = 14;
    SurfacePtr surface = newSurface(w, frameHeight * 5, false);
    ContextPtr c = newContext(surface);
    cairo_t* cr = c.get();
    const KeyState left[] = {KeyState::normal, KeyState::hover, KeyState::normal, KeyState::pressed, KeyState::normal};
    const KeyState right[] = {KeyState::normal, KeyState::normal, KeyState::hover, KeyState::normal, KeyState::pressed};
    for (int f = 0; f < 5; ++f) {
        const double y = f * frameHeight;
        fillRect(cr, {0, y, double(w), y + frameHeight}, palette::strip);
        for (int half = 0; half < 2; ++half) {
            const KeyState s = half == 0 ? left[f] : right[f];
            const Rect area = half == 0 ? Rect{0, y, 15, y + frameHeight} : Rect{16, y, double(w), y + frameHeight};
            cairo_save(cr);
            cairo_rectangle(cr, area.left, area.top, area.width(), area.height());
            cairo_clip(cr);
            keyFace(cr, {0, y, double(w), y + frameHeight}, s, 3);
            // The arrow, pointing outwards.
            const double sink = s == KeyState::pressed ? 0.5 : 0;
            const double cy = y + 7 + sink;
            setColour(cr, symbolColour(s));
            if (half == 0) {
                cairo_move_to(cr, 5, cy);
                cairo_line_to(cr, 10, cy - 3.5);
                cairo_line_to(cr, 10, cy + 3.5);
            } else {
                cairo_move_to(cr, 26, cy);
                cairo_line_to(cr, 21, cy - 3.5);
                cairo_line_to(cr, 21, cy + 3.5);
            }
            cairo_close_path(cr);
            cairo_fill(cr);
            cairo_restore(cr);
        }
        // The gap between the halves.
        vLine(cr, 15, y + 1, y + frameHeight - 1, rgb(8, 8, 9));
    }
    return surface;
}

// ---- The images --------------------------------------------------------------------

// 1128: the window's background, with everything that is not a control.
SurfacePtr background() {
    SurfacePtr surface = newSurface(layout::width, layout::height, false);
    ContextPtr c = newContext(surface);
    cairo_t* cr = c.get();

    // The panel and its edges.
    const Rect panel{0, 0, double(layout::width), layout::stripTop};
    brushedMetal(cr, panel, palette::panelTop, palette::panelBottom, 1128);
    hLine(cr, 0, layout::width, 0, palette::white.withAlpha(0.22));
    vLine(cr, 0, 0, layout::stripTop, palette::white.withAlpha(0.12));
    vLine(cr, layout::width - 1, 0, layout::stripTop, palette::black.withAlpha(0.35));
    screw(cr, 10, 10, 30);
    screw(cr, layout::width - 10, 10, 75);
    screw(cr, 10, layout::stripTop - 11, 120);
    screw(cr, layout::width - 10, layout::stripTop - 11, 15);

    titlePlate(cr);

    // The bypass LED in a round bezel; the bitmap's square fits inside it.
    const double ledX = layout::bypassLed.centreX(), ledY = layout::bypassLed.centreY();
    Gradient bezel = Gradient::linear(ledX - 9, ledY - 9, ledX + 9, ledY + 9);
    bezel.stop(0, Colour{0.75, 0.77, 0.80});
    bezel.stop(1, Colour{0.20, 0.21, 0.23});
    bezel.use(cr);
    cairo_arc(cr, ledX, ledY, 9.2, 0, 2 * pi);
    cairo_fill(cr);
    setColour(cr, palette::well);
    cairo_arc(cr, ledX, ledY, 7.6, 0, 2 * pi);
    cairo_fill(cr);

    // The bypass button's well, whose upper corners the tune and detune values'
    // windows overlap; the bitmap fills it to its edges.
    const Rect button = layout::bypassButton;
    setColour(cr, palette::white.withAlpha(0.15));
    roundedRect(cr, button.inset(-2).offset(0, 1), 3);
    cairo_fill(cr);
    setColour(cr, rgb(8, 8, 10));
    roundedRect(cr, button.inset(-2), 3);
    cairo_fill(cr);
    useFont(cr, 8.5, true);
    engravedText(cr, "bypass", button.centreX(), button.bottom + 11, Align::centre);

    // The knobs, their labels above them and their value windows below.
    for (const layout::Knob& knob : layout::knobs) {
        const double scaleTop = knobBody(cr, knob);
        useFont(cr, knob.large ? 9.5 : 8, true);
        engravedText(cr, knob.label, knob.rect.centreX() + knob.labelShift, scaleTop - 3, Align::centre);
        recessedWindow(cr, knob.display, palette::display);
    }

    fillRect(cr, button, palette::well);  // under the button's bitmap, as its edges

    // The maker's mark.
    useFont(cr, 7.5, true);
    engravedText(cr, "ARLOCRAFT", layout::width - 22, layout::stripTop - 8, Align::right, palette::label.withAlpha(0.55));

    // The preset strip: a ledge, then plain dark so the buttons' bitmaps
    // (drawn in palette::strip around their keys) sit seamlessly on it.
    const double top = layout::stripTop;
    hLine(cr, 0, layout::width, top, rgb(6, 6, 7));
    fillRect(cr, {0, top + 1, double(layout::width), double(layout::height)}, palette::strip);
    hLine(cr, 0, layout::width, top + 1, palette::white.withAlpha(0.07));

    // The program name's field (the control fills it) and the menu's symbol.
    recessedWindow(cr, layout::nameField, palette::display);
    const Rect menu = layout::menuSymbol;
    setColour(cr, palette::stripLabel);
    cairo_move_to(cr, menu.centreX() - 3.5, menu.centreY() - 2);
    cairo_line_to(cr, menu.centreX() + 3.5, menu.centreY() - 2);
    cairo_line_to(cr, menu.centreX(), menu.centreY() + 2);
    cairo_close_path(cr);
    cairo_fill(cr);

    // The memories' letters between their store and recall buttons.
    useFont(cr, 9, true);
    drawText(cr, "A", layout::memoLabelX, 237, Align::centre, palette::stripLabel);
    drawText(cr, "B", layout::memoLabelX, 251, Align::centre, palette::stripLabel);
    return surface;
}

// 1129 and 1130: a knob's handle, a glowing dot with a soft shadow.
SurfacePtr knobHandle(int size) {
    SurfacePtr surface = newSurface(size, size, true);
    ContextPtr c = newContext(surface);
    cairo_t* cr = c.get();
    const double centre = size / 2.0, radius = size * 0.34;

    Gradient shadow = Gradient::radial(centre, centre + 0.4, radius * 0.6, centre, centre + 0.4, centre);
    shadow.stop(0, Colour{0, 0, 0, 0.7});
    shadow.stop(1, Colour{0, 0, 0, 0});
    shadow.use(cr);
    cairo_paint(cr);

    Gradient dot = Gradient::radial(centre - radius * 0.3, centre - radius * 0.35, 0, centre, centre, radius);
    dot.stop(0, Colour{1.0, 0.97, 0.90});
    dot.stop(0.55, Colour{0.98, 0.80, 0.50});
    dot.stop(1, Colour{0.85, 0.52, 0.16});
    dot.use(cr);
    cairo_arc(cr, centre, centre, radius, 0, 2 * pi);
    cairo_fill(cr);
    return surface;
}

// 1131: the bypass LED, 2 frames of 10 x 10: off (dark red), on (glowing red).
SurfacePtr bypassLed() {
    SurfacePtr surface = newSurface(10, 20, false);
    ContextPtr c = newContext(surface);
    cairo_t* cr = c.get();
    for (int f = 0; f < 2; ++f) {
        const bool on = f == 1;
        const double cx = 5, cy = 5 + 10 * f, radius = 3.8;
        fillRect(cr, {0, 10.0 * f, 10, 10.0 * f + 10}, palette::well);
        if (on) {  // the glow around the lens
            Gradient glow = Gradient::radial(cx, cy, radius, cx, cy, 5);
            glow.stop(0, Colour{1, 0.2, 0.1, 0.55});
            glow.stop(1, Colour{1, 0.2, 0.1, 0});
            glow.use(cr);
            cairo_arc(cr, cx, cy, 5, 0, 2 * pi);
            cairo_fill(cr);
        }
        Gradient lens = Gradient::radial(cx - 1, cy - 1.2, 0, cx, cy, radius);
        if (on) {
            lens.stop(0, Colour{1.0, 0.85, 0.75});
            lens.stop(0.45, Colour{1.0, 0.25, 0.12});
            lens.stop(1, Colour{0.75, 0.06, 0.03});
        } else {
            lens.stop(0, Colour{0.48, 0.26, 0.25});
            lens.stop(0.5, Colour{0.30, 0.09, 0.08});
            lens.stop(1, Colour{0.17, 0.05, 0.05});
        }
        lens.use(cr);
        cairo_arc(cr, cx, cy, radius, 0, 2 * pi);
        cairo_fill(cr);
    }
    return surface;
}

// 1132: the bypass button, 2 frames of 62 x 28: off (raised, its lamp dark),
// on (pressed in, its lamp lit red).
SurfacePtr bypassButton() {
    const double w = 62, h = 28;
    SurfacePtr surface = newSurface(int(w), int(h) * 2, false);
    ContextPtr c = newContext(surface);
    cairo_t* cr = c.get();
    for (int f = 0; f < 2; ++f) {
        const bool on = f == 1;
        const double y = h * f;
        fillRect(cr, {0, y, w, y + h}, palette::well);
        const Rect key = Rect{2, y + 2, w - 2, y + h - 2};

        setColour(cr, palette::black);  // the outline
        roundedRect(cr, key, 3);
        cairo_fill(cr);
        const Rect face = key.inset(1).offset(0, on ? 0.5 : 0);
        if (on) setVerticalGradient(cr, face.top, face.bottom, rgb(38, 40, 44), rgb(58, 61, 66));
        else setVerticalGradient(cr, face.top, face.bottom, rgb(104, 108, 116), rgb(56, 59, 64));
        roundedRect(cr, face, 2);
        cairo_fill(cr);
        if (on) hLine(cr, face.left, face.right, face.top, palette::black.withAlpha(0.6));
        else hLine(cr, face.left + 2, face.right - 2, face.top, palette::white.withAlpha(0.3));

        // Fine grip lines on both sides of the lamp.
        for (double gx : {face.left + 6, face.right - 12}) {
            for (int i = 0; i < 3; ++i) {
                vLine(cr, gx + 2 * i, face.top + 6, face.bottom - 6, palette::black.withAlpha(0.35));
                vLine(cr, gx + 2 * i + 1, face.top + 6, face.bottom - 6, palette::white.withAlpha(on ? 0.06 : 0.12));
            }
        }

        // The lamp: a slot in the middle of the key.
        const Rect lamp{face.centreX() - 12, face.centreY() - 2.5, face.centreX() + 12, face.centreY() + 2.5};
        if (on) {
            Gradient glow = Gradient::linear(0, lamp.top - 4, 0, lamp.bottom + 4);
            glow.stop(0, Colour{1, 0.2, 0.1, 0});
            glow.stop(0.5, Colour{1, 0.2, 0.1, 0.35});
            glow.stop(1, Colour{1, 0.2, 0.1, 0});
            glow.use(cr);
            roundedRect(cr, lamp.inset(-3), 4);
            cairo_fill(cr);
        }
        setColour(cr, palette::black.withAlpha(0.8));
        roundedRect(cr, lamp.inset(-1), 2.5);
        cairo_fill(cr);
        if (on) setVerticalGradient(cr, lamp.top, lamp.bottom, rgb(255, 170, 140), rgb(230, 40, 24));
        else setVerticalGradient(cr, lamp.top, lamp.bottom, rgb(92, 40, 38), rgb(48, 16, 15));
        roundedRect(cr, lamp, 2);
        cairo_fill(cr);
    }
    return surface;
}

// 1200: the about screen. The program prints its version in black at
// (172, 80)-(272, 95): that area stays plain and light.
SurfacePtr aboutScreen() {
    const double w = 260, h = 204;
    SurfacePtr surface = newSurface(int(w), int(h), false);
    ContextPtr c = newContext(surface);
    cairo_t* cr = c.get();

    // Light paper below a dark brushed header.
    setVerticalGradient(cr, 0, h, rgb(238, 241, 243), rgb(214, 221, 226));
    cairo_paint(cr);
    const double headerBottom = 62;
    brushedMetal(cr, {0, 0, w, headerBottom}, palette::panelTop, rgb(30, 32, 36), 1200);
    fillRect(cr, {0, headerBottom, w, headerBottom + 2}, palette::accent);
    hLine(cr, 0, w, headerBottom + 2, palette::black.withAlpha(0.25));

    useFont(cr, 24, true);
    drawText(cr, "Arlo Corvane", 18, 33, Align::left, palette::warmWhite);
    useFont(cr, 11);
    drawText(cr, "string rezonator plug-in", 18, 51, Align::left, palette::accent);
    vibratingStrings(cr, {178, 16, 242, 46}, 5, palette::accent, 3, 1);

    // The maker, and the label of the version the program prints.
    useFont(cr, 13, true);
    drawText(cr, "Arlocraft", 18, 92, Align::left, rgb(34, 36, 40));
    useFont(cr, 9);
    drawText(cr, "version", 166, 91, Align::right, rgb(96, 102, 110));

    // Six strings between two bridges, ringing.
    const Rect strings{26, 106, 234, 146};
    for (double x : {strings.left - 6, strings.right + 2}) {
        setVerticalGradient(cr, strings.top - 6, strings.bottom + 6, rgb(70, 74, 80), rgb(30, 32, 36));
        roundedRect(cr, {x, strings.top - 6, x + 4, strings.bottom + 6}, 1.5);
        cairo_fill(cr);
    }
    vibratingStrings(cr, strings, 6, rgb(176, 118, 44), 3.2, 1.8);

    // The credits.
    useFont(cr, 8.5);
    drawText(cr, "Resonator, presets and artwork by Arlocraft.", w / 2, 172, Align::centre, rgb(44, 47, 52));
    useFont(cr, 7.5);
    drawText(cr, "VST is a trademark of Steinberg Media Technologies GmbH.", w / 2, 188, Align::centre,
             rgb(100, 106, 114));

    // A thin frame around it all.
    cairo_set_line_width(cr, 1);
    setColour(cr, rgb(10, 10, 12));
    cairo_rectangle(cr, 0.5, 0.5, w - 1, h - 1);
    cairo_stroke(cr);
    return surface;
}

// ---- Writing -------------------------------------------------------------------

struct Image {
    int id;
    SurfacePtr surface;
    int frames = 1;  // stacked from top to bottom
};

std::vector<Image> drawAll() {
    auto tray = [](bool down) {
        return [down](cairo_t* cr, Rect key, Colour c) { trayArrowSymbol(cr, key, down, c); };
    };
    auto memo = [](bool store) {
        return [store](cairo_t* cr, Rect key, Colour c) { memoSymbol(cr, key, store, c); };
    };
    std::vector<Image> images;
    images.push_back({id::background, background()});
    images.push_back({id::largeHandle, knobHandle(int(layout::largeHandle))});
    images.push_back({id::smallHandle, knobHandle(int(layout::smallHandle))});
    images.push_back({id::bypassLed, bypassLed(), 2});
    images.push_back({id::bypassButton, bypassButton(), 2});
    images.push_back({id::about, aboutScreen()});
    images.push_back({id::defaultBank, defaultPlate(37, "bank"), 3});
    images.push_back({id::defaultPreset, defaultPlate(47, "preset"), 3});
    // Keys at row 1 of their 14-row frames; the memory B buttons are only 12
    // rows high on the panel, so theirs start at row 0.
    images.push_back({id::recallA, stripKey(1, memo(false)), 3});
    images.push_back({id::recallB, stripKey(0, memo(false)), 3});
    images.push_back({id::storeA, stripKey(1, memo(true)), 3});
    images.push_back({id::storeB, stripKey(0, memo(true)), 3});
    images.push_back({id::loadBank, stripKey(1, tray(false)), 3});
    images.push_back({id::loadPreset, stripKey(1, tray(false)), 3});
    images.push_back({id::saveBank, stripKey(1, tray(true)), 3});
    images.push_back({id::savePreset, stripKey(1, tray(true)), 3});
    images.push_back({id::stepSwitch, stepSwitch(), 5});
    return images;
}

const Image& find(const std::vector<Image>& images, int imageId) {
    for (const Image& image : images)
        if (image.id == imageId) return image;
    std::fprintf(stderr, "corvane-artwork: no image %d\n", imageId);
    std::exit(1);
}

// Draws frame 0 (or `frame`) of a stacked bitmap at `r`, as the controls do.
void placeFrame(cairo_t* cr, const Image& image, Rect r, int frame = 0) {
    const double frameHeight = cairo_image_surface_get_height(image.surface.get()) / image.frames;
    cairo_save(cr);
    cairo_rectangle(cr, r.left, r.top, r.width(), r.height());
    cairo_clip(cr);
    cairo_set_source_surface(cr, image.surface.get(), r.left, r.top - frame * frameHeight);
    cairo_paint(cr);
    cairo_restore(cr);
}

// The whole editor as a host would show it, with the about screen beside it.
SurfacePtr preview(const std::vector<Image>& images) {
    const double gap = 12;
    const int w = layout::width + int(gap) + 260;
    SurfacePtr surface = newSurface(w, layout::height, false);
    ContextPtr c = newContext(surface);
    cairo_t* cr = c.get();
    fillRect(cr, {0, 0, double(w), double(layout::height)}, rgb(128, 128, 128));
    cairo_set_source_surface(cr, find(images, id::background).surface.get(), 0, 0);
    cairo_paint(cr);

    // Handles where the knobs put them, each knob at another value.
    int n = 0;
    for (const layout::Knob& knob : layout::knobs) {
        const Image& handle = find(images, knob.large ? id::largeHandle : id::smallHandle);
        const double value = 0.1 + 0.13 * n++;
        const Point centre = onCircle(knob.rect.centreX(), knob.rect.centreY(), layout::handleRadius(knob),
                                      layout::startAngle + value * layout::sweepAngle);
        const double x = std::floor(centre.x - layout::handleSize(knob) / 2 + 0.5);
        const double y = std::floor(centre.y - layout::handleSize(knob) / 2 + 0.5);
        cairo_set_source_surface(cr, handle.surface.get(), x, y);
        cairo_paint(cr);
        useFont(cr, 9);
        char text[32];
        std::snprintf(text, sizeof text, "%.1f %%", value * 100);
        drawText(cr, text, knob.display.centreX(), knob.display.bottom - 3.5, Align::centre, palette::black);
    }
    placeFrame(cr, find(images, id::bypassLed), layout::bypassLed, 1);
    placeFrame(cr, find(images, id::bypassButton), layout::bypassButton, 1);
    for (const layout::Button& button : layout::stripButtons)
        placeFrame(cr, find(images, button.image), button.rect);
    fillRect(cr, layout::nameField, palette::display);
    useFont(cr, 9);
    drawText(cr, "Almost reverb", layout::nameField.left + 3, layout::nameField.bottom - 4, Align::left, palette::black);

    cairo_set_source_surface(cr, find(images, id::about).surface.get(), layout::width + gap, 26);
    cairo_paint(cr);
    drawText(cr, "v.1.7.1", layout::width + gap + 172, 26 + 91, Align::left, palette::black);
    return surface;
}

bool writePng(const SurfacePtr& surface, const std::string& path) {
    const cairo_status_t status = cairo_surface_write_to_png(surface.get(), path.c_str());
    if (status != CAIRO_STATUS_SUCCESS) {
        std::fprintf(stderr, "corvane-artwork: cannot write %s: %s\n", path.c_str(), cairo_status_to_string(status));
        return false;
    }
    return true;
}

SurfacePtr scaled(const SurfacePtr& source, int scale) {
    const int w = cairo_image_surface_get_width(source.get()), h = cairo_image_surface_get_height(source.get());
    SurfacePtr surface = newSurface(w * scale, h * scale, false);
    ContextPtr cr = newContext(surface);
    cairo_scale(cr.get(), scale, scale);
    cairo_set_source_surface(cr.get(), source.get(), 0, 0);
    cairo_pattern_set_filter(cairo_get_source(cr.get()), CAIRO_FILTER_NEAREST);
    cairo_paint(cr.get());
    return surface;
}

}  // namespace

int main(int argc, char** argv) {
    std::string outputDir, previewPath;
    int scale = 1;
    bool usage = false;
    for (int i = 1; i < argc; ++i) {
        const std::string arg = argv[i];
        if (arg == "--preview" && i + 1 < argc) previewPath = argv[++i];
        else if (arg == "--scale" && i + 1 < argc) scale = std::max(1, std::atoi(argv[++i]));
        else if (outputDir.empty() && !arg.empty() && arg[0] != '-') outputDir = arg;
        else usage = true;
    }
    if (usage || outputDir.empty()) {
        std::fprintf(stderr, "usage: corvane-artwork OUTPUT_DIR [--preview FILE [--scale N]]\n");
        return 2;
    }

    std::error_code error;
    std::filesystem::create_directories(outputDir, error);
    bool ok = true;
    {
        const std::vector<Image> images = drawAll();
        for (const Image& image : images)
            ok = writePng(image.surface, outputDir + "/" + std::to_string(image.id) + ".png") && ok;
        if (!previewPath.empty()) ok = writePng(scaled(preview(images), scale), previewPath) && ok;
    }
    // Release the fonts' caches, so that leak checkers see a clean exit.
    cairo_debug_reset_static_data();
    FcFini();
    return ok ? 0 : 1;
}
