// The controls' bitmaps: knob handles, the bypass LED and button, and the
// keys of the preset strip, each with its frames stacked from top to bottom.

#include <algorithm>
#include <cmath>

#include "resources/artwork/Artwork.h"

namespace art {

// 1129 and 1130: a knob's handle, a glowing dot with a soft shadow.
SurfacePtr knobHandle(int id) {
    Drawing d(id);
    cairo_t* cr = d.cr;
    const double size = d.width();
    const double centre = size / 2, radius = size * 0.34;

    Gradient::radial(centre, centre + 0.4, radius * 0.6, centre, centre + 0.4, centre)
        .stops({{0, {0, 0, 0, 0.7}}, {1, {0, 0, 0, 0}}})
        .use(cr);
    cairo_paint(cr);

    Gradient::radial(centre - radius * 0.3, centre - radius * 0.35, 0, centre, centre, radius)
        .stops({{0, {1.0, 0.97, 0.90}}, {0.55, {0.98, 0.80, 0.50}}, {1, {0.85, 0.52, 0.16}}})
        .use(cr);
    fillCircle(cr, centre, centre, radius);
    return d.finish();
}

// 1131: the bypass LED, 2 frames of 10 x 10: off (dark red), on (glowing red).
SurfacePtr bypassLed() {
    Drawing d(bitmap::kBypassLed);
    cairo_t* cr = d.cr;
    const double size = d.width(), top[] = {0, d.frameHeight()};
    for (int f = 0; f < 2; ++f) {
        const bool on = f == 1;
        const double cx = size / 2, cy = top[f] + size / 2, radius = 3.8;
        fillRect(cr, {0, top[f], size, top[f] + size}, palette::well);
        if (on) {  // the glow around the lens
            Gradient::radial(cx, cy, radius, cx, cy, 5)
                .stops({{0, {1, 0.2, 0.1, 0.55}}, {1, {1, 0.2, 0.1, 0}}})
                .use(cr);
            fillCircle(cr, cx, cy, 5);
        }
        Gradient lens = Gradient::radial(cx - 1, cy - 1.2, 0, cx, cy, radius);
        if (on) {
            lens.stops({{0, {1.0, 0.85, 0.75}}, {0.45, {1.0, 0.25, 0.12}}, {1, {0.75, 0.06, 0.03}}});
        } else {
            lens.stops({{0, {0.48, 0.26, 0.25}}, {0.5, {0.30, 0.09, 0.08}}, {1, {0.17, 0.05, 0.05}}});
        }
        lens.use(cr);
        fillCircle(cr, cx, cy, radius);
    }
    return d.finish();
}

// 1132: the bypass button, 2 frames of 62 x 28: off (raised, its lamp dark),
// on (pressed in, its lamp lit red).
SurfacePtr bypassButton() {
    Drawing d(bitmap::kBypassButton);
    cairo_t* cr = d.cr;
    const double w = d.width(), h = d.frameHeight();
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
            Gradient::linear(0, lamp.top - 4, 0, lamp.bottom + 4)
                .stops({{0, {1, 0.2, 0.1, 0}}, {0.5, {1, 0.2, 0.1, 0.35}}, {1, {1, 0.2, 0.1, 0}}})
                .use(cr);
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
    return d.finish();
}

// ---- The preset strip's keys ---------------------------------------------------------

namespace {

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

// The symbols are drawn on the pixel grid of the key's 12 x 12 square,
// one cell per pixel, so that they stay crisp at this size.
void cells(cairo_t* cr, Rect key, std::initializer_list<Rect> rects) {
    for (const Rect& r : rects) cairo_rectangle(cr, key.left + r.left, key.top + r.top, r.width(), r.height());
}

// Save: a floppy disk, its shutter at the top and its label below (holes
// through which the key shows, by the even-odd rule).
void saveSymbol(cairo_t* cr, Rect key, Colour c) {
    setColour(cr, c);
    cairo_move_to(cr, key.left + 2, key.top + 2);  // the body, its upper right corner cut
    cairo_line_to(cr, key.left + 9, key.top + 2);
    cairo_line_to(cr, key.left + 10, key.top + 3);
    cairo_line_to(cr, key.left + 10, key.top + 10);
    cairo_line_to(cr, key.left + 2, key.top + 10);
    cairo_close_path(cr);
    cells(cr, key, {{4, 2, 8, 5}, {6, 3, 7, 4}, {4, 7, 8, 10}});  // the shutter, its hole, the label
    cairo_set_fill_rule(cr, CAIRO_FILL_RULE_EVEN_ODD);
    cairo_fill(cr);
    cairo_set_fill_rule(cr, CAIRO_FILL_RULE_WINDING);
}

// Load: a folder, its tab at the upper left and the lip of its pocket.
void loadSymbol(cairo_t* cr, Rect key, Colour c) {
    setColour(cr, c);
    cells(cr, key, {{2, 3, 6, 4}, {2, 4, 10, 5}, {2, 6, 10, 10}});
    cairo_fill(cr);
}

// Store (a dot, as "record") or recall (a triangle, as "play").
void storeSymbol(cairo_t* cr, Rect key, Colour c) {
    setColour(cr, c);
    fillCircle(cr, key.centreX(), key.centreY(), 2.3);
}
void recallSymbol(cairo_t* cr, Rect key, Colour c) {
    setColour(cr, c);
    const double cx = key.centreX(), cy = key.centreY();
    cairo_move_to(cr, cx - 2, cy - 3);
    cairo_line_to(cr, cx + 2.5, cy);
    cairo_line_to(cr, cx - 2, cy + 3);
    cairo_close_path(cr);
    cairo_fill(cr);
}

// A small five-pointed star: "keep this one", for the default buttons.
void star(cairo_t* cr, double cx, double cy, double radius, Colour c) {
    setColour(cr, c);
    for (int i = 0; i < 10; ++i) {
        const Point p = onCircle(cx, cy, i % 2 ? radius * 0.45 : radius, 90 + 36 * i);
        cairo_line_to(cr, p.x, p.y);
    }
    cairo_close_path(cr);
    cairo_fill(cr);
}

}  // namespace

// A button of the strip: 3 frames (normal, hover, pressed) of 12 x 14 with
// a 12 x 12 key, at row 1 of the frame on the 14-row buttons; the memory B
// buttons are only 12 rows high on the panel, so theirs starts at row 0. The
// rest of the frame is the strip itself.
SurfacePtr stripKey(int id) {
    using Symbol = void (*)(cairo_t*, Rect, Colour);
    Symbol symbol = nullptr;
    switch (id) {
    case bitmap::kSaveBank: case bitmap::kSavePreset: symbol = saveSymbol; break;
    case bitmap::kLoadBank: case bitmap::kLoadPreset: symbol = loadSymbol; break;
    case bitmap::kStoreMemoA: case bitmap::kStoreMemoB: symbol = storeSymbol; break;
    default: symbol = recallSymbol; break;
    }
    int keyTop = 1;
    for (const layout::StripButton& b : layout::kStripButtons)
        if (b.bitmap == id && b.rect.height() < 14) keyTop = 0;

    Drawing d(id);
    cairo_t* cr = d.cr;
    const double w = d.width(), frameHeight = d.frameHeight();
    for (int f = 0; f < 3; ++f) {
        const double y = f * frameHeight;
        fillRect(cr, {0, y, w, y + frameHeight}, palette::strip);
        const Rect key{0, y + keyTop, 12, y + keyTop + 12};
        keyFace(cr, key, keyStates[f], 2);
        const double sink = keyStates[f] == KeyState::pressed ? 1 : 0;
        symbol(cr, key.offset(0, sink), symbolColour(keyStates[f]));
    }
    return d.finish();
}

// 19899 and 19990: the plates that store the current preset or bank as the
// default on a double click (and clear it with Ctrl). 3 frames (normal,
// hover, pressed) of w x 10. They carry the name of their row of the strip
// ("preset" or "bank": there is no room for a label beside them) after a
// star, the mark of the one that is kept.
SurfacePtr defaultPlate(int id) {
    Drawing d(id);
    cairo_t* cr = d.cr;
    const std::string text = id == bitmap::kDefaultPreset ? "preset" : "bank";
    const double w = d.width(), frameHeight = d.frameHeight();
    for (int f = 0; f < 3; ++f) {
        const double y = f * frameHeight;
        fillRect(cr, {0, y, w, y + frameHeight}, palette::strip);
        keyFace(cr, {0, y, w, y + frameHeight}, keyStates[f], 2);
        useFont(cr, 8, true);
        const double sink = keyStates[f] == KeyState::pressed ? 1 : 0;
        const double symbolWidth = 7, space = 2, spacing = 0;
        const double left = std::round((w - symbolWidth - space - textWidth(cr, text, spacing)) / 2);
        star(cr, left + symbolWidth / 2, y + 5 + sink, 3.4, keyStates[f] == KeyState::hover ? palette::white : palette::accent);
        drawText(cr, text, left + symbolWidth + space, y + 7 + sink, Align::left, symbolColour(keyStates[f]), spacing);
    }
    return d.finish();
}

// 19997, the step switch: 5 frames of 31 x 14, a rocker with a left and a
// right half: 0 rest, 1 and 2 the mouse over the left or the right half, 3
// and 4 the left or the right half pressed. Each half is drawn on its own, so
// a frame differs from the rest only in its active half.
SurfacePtr stepSwitch() {
    Drawing d(bitmap::kStepSwitch);
    cairo_t* cr = d.cr;
    const double w = d.width(), frameHeight = d.frameHeight();
    const KeyState left[] = {KeyState::normal, KeyState::hover, KeyState::normal, KeyState::pressed, KeyState::normal};
    const KeyState right[] = {KeyState::normal, KeyState::normal, KeyState::hover, KeyState::normal, KeyState::pressed};
    for (int f = 0; f < 5; ++f) {
        const double y = f * frameHeight;
        fillRect(cr, {0, y, w, y + frameHeight}, palette::strip);
        for (int half = 0; half < 2; ++half) {
            const KeyState s = half == 0 ? left[f] : right[f];
            const Rect area = half == 0 ? Rect{0, y, 15, y + frameHeight} : Rect{16, y, w, y + frameHeight};
            cairo_save(cr);
            cairo_rectangle(cr, area.left, area.top, area.width(), area.height());
            cairo_clip(cr);
            keyFace(cr, {0, y, w, y + frameHeight}, s, 3);
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
    return d.finish();
}

}  // namespace art
