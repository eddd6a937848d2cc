// A picture of the whole editor, to judge the artwork by eye: the background
// with every control's bitmap where the editor places it, the displays and the
// name field printing sample texts as their controls do, and the about screen
// beside it with the version.

#include <cmath>
#include <cstdio>
#include <cstdlib>

#include "resources/artwork/Artwork.h"

namespace art {
namespace {

const SurfacePtr& find(const std::vector<Image>& images, int id) {
    for (const Image& image : images)
        if (image.id == id) return image.surface;
    std::fprintf(stderr, "corvane-artwork: no image %d\n", id);
    std::exit(1);
}

// Draws `frame` of a stacked bitmap into `r`, as the controls do.
void placeFrame(cairo_t* cr, const std::vector<Image>& images, int id, layout::Box r, int frame = 0) {
    cairo_save(cr);
    cairo_rectangle(cr, r.left, r.top, r.width(), r.height());
    cairo_clip(cr);
    cairo_set_source_surface(cr, find(images, id).get(), r.left, r.top - frame * bitmap::find(id)->frameHeight());
    cairo_paint(cr);
    cairo_restore(cr);
}

// Text as the toolkit's controls print it: "Arial" (Liberation Sans under
// fontconfig), its baseline centred by the font's ascent and descent.
void controlText(cairo_t* cr, const char* text, Rect r, double size, Align align, Colour colour) {
    cairo_select_font_face(cr, "Arial", CAIRO_FONT_SLANT_NORMAL, CAIRO_FONT_WEIGHT_NORMAL);
    cairo_set_font_size(cr, size);
    cairo_font_extents_t font;
    cairo_font_extents(cr, &font);
    cairo_text_extents_t extents;
    cairo_text_extents(cr, text, &extents);
    const double left = align == Align::centre ? r.left + (r.width() - extents.x_advance) / 2 : r.left;
    setColour(cr, colour);
    cairo_move_to(cr, std::floor(left + 0.5), std::floor(r.top + (r.height() + font.ascent - font.descent) / 2 + 0.5));
    cairo_show_text(cr, text);
}

// A value for each knob in the order of layout::kKnobs, with what its display shows then.
struct Sample {
    double value;
    const char* text;
};
constexpr Sample samples[] = {
    {0.62, "62%"}, {0.35, "35%"}, {0.6458, "#7"}, {0.5, "0c"}, {0.18, "18%"}, {0.25, "25%"}, {0.5, "0.0dB"},
};

}  // namespace

SurfacePtr preview(const std::vector<Image>& images) {
    const layout::Box about = layout::kAboutScreen;
    const int gap = 12, aboutTop = 26;
    const int w = layout::kWindowWidth + gap + about.width();
    SurfacePtr surface = newSurface(w, layout::kWindowHeight, false);
    ContextPtr c = newContext(surface);
    cairo_t* cr = c.get();
    fillRect(cr, {0, 0, double(w), double(layout::kWindowHeight)}, rgb(128, 128, 128));
    cairo_set_source_surface(cr, find(images, bitmap::kBackground).get(), 0, 0);
    cairo_paint(cr);

    int n = 0;
    for (const layout::Knob& k : layout::kKnobs) {
        const Sample sample = samples[n++];
        const Rect rect = Rect::of(k.rect);
        const Point centre = onCircle(rect.centreX(), rect.centreY(), knob::handleRadius(k),
                                      knob::startAngle + sample.value * knob::sweepAngle);
        const double size = knob::handleSize(k);
        cairo_set_source_surface(cr, find(images, knob::handleId(k)).get(), std::floor(centre.x - size / 2 + 0.5),
                                 std::floor(centre.y - size / 2 + 0.5));
        cairo_paint(cr);
        controlText(cr, sample.text, Rect::of(k.display), 9, Align::centre, palette::black);
    }
    placeFrame(cr, images, bitmap::kBypassLed, layout::kBypassLed);
    placeFrame(cr, images, bitmap::kBypassButton, layout::kBypassButton);
    for (const layout::StripButton& button : layout::kStripButtons)
        placeFrame(cr, images, button.bitmap, button.rect);
    placeFrame(cr, images, bitmap::kStepSwitch, layout::kStepSwitch);

    // The name field, filled and framed by its control.
    const Rect name = Rect::of(layout::kNameField);
    fillRect(cr, name, palette::nameField);
    setColour(cr, rgb(36, 36, 32));
    cairo_set_line_width(cr, 1);
    cairo_rectangle(cr, name.left + 0.5, name.top + 0.5, name.width() - 1, name.height() - 1);
    cairo_stroke(cr);
    controlText(cr, "Almost reverb", name, 11, Align::centre, rgb(36, 36, 32));

    const double aboutLeft = layout::kWindowWidth + gap;
    cairo_set_source_surface(cr, find(images, bitmap::kAboutScreen).get(), aboutLeft, aboutTop);
    cairo_paint(cr);
    const layout::Box version = layout::kAboutVersion;
    controlText(cr, "v.1.7.1", Rect::of(version).offset(aboutLeft, aboutTop), 9, Align::left, palette::black);
    return surface;
}

}  // namespace art
