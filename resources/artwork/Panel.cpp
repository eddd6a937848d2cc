// 1128, the window's background: everything that is not a control. The knobs
// and displays copy their own rectangle of it behind themselves, so the
// knobs' bodies and the value boxes are drawn here and the controls add only
// the handle and the text.

#include <algorithm>
#include <cmath>

#include "resources/artwork/Artwork.h"

namespace art {

void engravedText(cairo_t* cr, const std::string& text, double x, double baseline, Align align, Colour colour) {
    drawText(cr, text, x, baseline + 1, align, palette::black.withAlpha(0.85));
    drawText(cr, text, x, baseline, align, colour);
}

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

namespace {

// Labels move aside where they would touch the transpose value's box.
double labelShift(int tag) {
    switch (tag) {
    case 5: return -3;  // tune
    case 6: return 5;   // detune
    case 0: return 3;   // output, clear of the detune value
    default: return 0;
    }
}

// A slotted screw head.
void screw(cairo_t* cr, double cx, double cy, double slotDegrees) {
    const double radius = 4;
    setColour(cr, palette::black.withAlpha(0.45));  // its countersink
    fillCircle(cr, cx, cy + 0.5, radius + 1);

    Gradient::linear(cx - radius, cy - radius, cx + radius, cy + radius)
        .stops({{0, {0.72, 0.74, 0.77}}, {1, {0.30, 0.31, 0.34}}})
        .use(cr);
    fillCircle(cr, cx, cy, radius);

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

// A display's value box: plain and muted, set in the panel by a thin edge
// only, so that it reads as the knob's caption rather than competing with it.
void valueBox(cairo_t* cr, Rect r) {
    hLine(cr, r.left - 1, r.right + 1, r.top - 1, palette::black.withAlpha(0.5));
    vLine(cr, r.left - 1, r.top, r.bottom + 1, palette::black.withAlpha(0.5));
    hLine(cr, r.left, r.right + 1, r.bottom, palette::white.withAlpha(0.12));
    vLine(cr, r.right, r.top, r.bottom, palette::white.withAlpha(0.12));
    fillRect(cr, r, palette::valueBox);
}

// The fixed part of a knob: its scale and its body. The control draws only the
// handle, circling over the body's cap.
// Returns where the scale ends at the top, for the label above it.
double knobBody(cairo_t* cr, const layout::Knob& k) {
    const Rect rect = Rect::of(k.rect);
    const double cx = rect.centreX(), cy = rect.centreY();
    const double radius = rect.width() / 2 - 0.5;         // the body; the handle runs on its cap
    const double tickIn = radius + (k.large ? 2 : 1.5);   // the scale around it
    const double tickOut = tickIn + (k.large ? 3.5 : 2.5);
    const int ticks = 11;

    // The scale: eleven ticks over the sweep, the two ends and the middle longer.
    cairo_set_line_cap(cr, CAIRO_LINE_CAP_ROUND);
    for (int i = 0; i < ticks; ++i) {
        const double degrees = knob::startAngle + knob::sweepAngle * i / (ticks - 1);
        const bool major = i == 0 || i == ticks - 1 || i == ticks / 2;
        const Point a = onCircle(cx, cy, tickIn, degrees);
        const Point b = onCircle(cx, cy, tickOut + (major ? 1 : 0), degrees);
        cairo_set_line_width(cr, major ? 1.3 : 1.0);
        setColour(cr, palette::scale.withAlpha(major ? 0.85 : 0.5));
        cairo_move_to(cr, a.x, a.y);
        cairo_line_to(cr, b.x, b.y);
        cairo_stroke(cr);
    }
    cairo_set_line_cap(cr, CAIRO_LINE_CAP_BUTT);

    // Its shadow on the panel.
    Gradient::radial(cx, cy + 1.5, radius - 2, cx, cy + 1.5, radius + 2.5)
        .stops({{0, {0, 0, 0, 0.6}}, {1, {0, 0, 0, 0}}})
        .use(cr);
    fillCircle(cr, cx, cy + 1.5, radius + 2.5);

    // The skirt: dark metal, lit at the upper left.
    Gradient::linear(cx - radius, cy - radius, cx + radius, cy + radius)
        .stops({{0, {0.62, 0.64, 0.67}}, {0.5, {0.22, 0.23, 0.25}}, {1, {0.08, 0.08, 0.09}}})
        .use(cr);
    fillCircle(cr, cx, cy, radius);

    // The cap: slightly domed, with fine concentric turning marks.
    const double cap = radius - (k.large ? 2.5 : 1.5);
    Gradient::radial(cx - cap * 0.35, cy - cap * 0.45, 0, cx, cy, cap)
        .stops({{0, {0.40, 0.42, 0.45}}, {1, {0.15, 0.16, 0.18}}})
        .use(cr);
    fillCircle(cr, cx, cy, cap);
    cairo_set_line_width(cr, 0.5);
    for (double r = 1.5; r < cap - 0.5; r += 1.5) {
        setColour(cr, (static_cast<int>(r / 1.5) % 2 ? palette::white : palette::black).withAlpha(0.05));
        cairo_arc(cr, cx, cy, r, 0, 2 * pi);
        cairo_stroke(cr);
    }
    // The cap's edge: a thin highlight at the top, shadow at the bottom.
    cairo_set_line_width(cr, 1);
    Gradient::linear(0, cy - cap, 0, cy + cap)
        .stops({{0, {1, 1, 1, 0.35}}, {0.5, {1, 1, 1, 0.0}}, {1, {0, 0, 0, 0.5}}})
        .use(cr);
    cairo_arc(cr, cx, cy, cap - 0.5, 0, 2 * pi);
    cairo_stroke(cr);
    return cy - tickOut - 1;
}

// The title plate: a dark recessed plate carrying the product's name.
void titlePlate(cairo_t* cr) {
    const Rect plate = Rect::of(layout::kAboutArea);
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

// The bypass LED in a round bezel; the bitmap's square fits inside it.
void ledBezel(cairo_t* cr) {
    const Rect led = Rect::of(layout::kBypassLed);
    const double x = led.centreX(), y = led.centreY();
    Gradient::linear(x - 9, y - 9, x + 9, y + 9)
        .stops({{0, {0.75, 0.77, 0.80}}, {1, {0.20, 0.21, 0.23}}})
        .use(cr);
    fillCircle(cr, x, y, 9.2);
    setColour(cr, palette::well);
    fillCircle(cr, x, y, 7.6);
}

// The bypass button's well, whose upper corners the tune and detune values'
// edges touch; the bitmap fills it to its edges.
void bypassWell(cairo_t* cr) {
    const Rect button = Rect::of(layout::kBypassButton);
    setColour(cr, palette::white.withAlpha(0.15));
    roundedRect(cr, button.inset(-2).offset(0, 1), 3);
    cairo_fill(cr);
    setColour(cr, rgb(8, 8, 10));
    roundedRect(cr, button.inset(-2), 3);
    cairo_fill(cr);
    useFont(cr, 10, true);
    engravedText(cr, "bypass", button.centreX(), button.bottom + 12, Align::centre);
}

// The preset strip: a ledge, then plain dark so the buttons' bitmaps (drawn
// in palette::strip around their keys) sit seamlessly on it.
void presetStrip(cairo_t* cr) {
    const double top = layout::kStripTop, width = layout::kWindowWidth;
    hLine(cr, 0, width, top, rgb(6, 6, 7));
    fillRect(cr, {0, top + 1, width, double(layout::kWindowHeight)}, palette::strip);
    hLine(cr, 0, width, top + 1, palette::white.withAlpha(0.07));

    // The program name's field (the control fills it) and the menu's symbol.
    recessedWindow(cr, Rect::of(layout::kNameField), palette::nameField);
    const Rect menu = Rect::of(layout::kProgramMenu);
    setColour(cr, palette::stripLabel);
    cairo_move_to(cr, menu.centreX() - 3.5, menu.centreY() - 2);
    cairo_line_to(cr, menu.centreX() + 3.5, menu.centreY() - 2);
    cairo_line_to(cr, menu.centreX(), menu.centreY() + 2);
    cairo_close_path(cr);
    cairo_fill(cr);

    // The memories' letters between their store and recall buttons.
    useFont(cr, 9, true);
    drawText(cr, "A", layout::kMemoLabelX, 237, Align::centre, palette::stripLabel);
    drawText(cr, "B", layout::kMemoLabelX, 251, Align::centre, palette::stripLabel);
}

}  // namespace

SurfacePtr background() {
    Drawing d(bitmap::kBackground);
    cairo_t* cr = d.cr;
    const double width = layout::kWindowWidth, stripTop = layout::kStripTop;

    // The panel and its edges.
    brushedMetal(cr, {0, 0, width, stripTop}, palette::panelTop, palette::panelBottom, 1128);
    hLine(cr, 0, width, 0, palette::white.withAlpha(0.22));
    vLine(cr, 0, 0, stripTop, palette::white.withAlpha(0.12));
    vLine(cr, width - 1, 0, stripTop, palette::black.withAlpha(0.35));
    screw(cr, 10, 10, 30);
    screw(cr, width - 10, 10, 75);
    screw(cr, 10, stripTop - 11, 120);
    screw(cr, width - 10, stripTop - 11, 15);

    titlePlate(cr);
    ledBezel(cr);
    bypassWell(cr);

    // The knobs, their labels above them and their value boxes below.
    for (const layout::Knob& k : layout::kKnobs) {
        const double scaleTop = knobBody(cr, k);
        useFont(cr, k.large ? 11 : 10, true);
        engravedText(cr, k.label, Rect::of(k.rect).centreX() + labelShift(k.tag), scaleTop - 3, Align::centre);
        valueBox(cr, Rect::of(k.display));
    }
    fillRect(cr, Rect::of(layout::kBypassButton), palette::well);  // under the button's bitmap, as its edges

    // The maker's mark.
    useFont(cr, 7.5, true);
    engravedText(cr, "ARLOCRAFT", width - 22, stripTop - 8, Align::right, palette::label.withAlpha(0.55));

    presetStrip(cr);
    return d.finish();
}

}  // namespace art
