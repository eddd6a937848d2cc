// 1200, the about screen. The editor prints the version on it in black
// (layout::kAboutVersion): that area stays plain and light.

#include "resources/artwork/Artwork.h"

namespace art {

SurfacePtr aboutScreen() {
    Drawing d(bitmap::kAboutScreen);
    cairo_t* cr = d.cr;
    const double w = d.width(), h = d.info.height;

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

    // The maker, and the label of the version the editor prints.
    useFont(cr, 13, true);
    drawText(cr, "Arlocraft", 18, 92, Align::left, rgb(34, 36, 40));
    useFont(cr, 9);
    drawText(cr, "version", layout::kAboutVersion.left - 6, 91, Align::right, rgb(96, 102, 110));

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
    return d.finish();
}

}  // namespace art
