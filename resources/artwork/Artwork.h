// The editor's artwork: its colours, what the bitmaps share, and one drawing
// function per bitmap (each returns a surface of the size in BitmapIds.h).
#pragma once

#include "resources/artwork/Canvas.h"

#include <vector>

namespace art {

namespace palette {
constexpr Colour panelTop = rgb(68, 72, 78);      // the brushed panel, lit from above
constexpr Colour panelBottom = rgb(40, 42, 47);
constexpr Colour label = rgb(250, 248, 242);      // the knobs' labels on the panel
constexpr Colour scale = rgb(222, 225, 229);      // the knobs' scales
constexpr Colour accent = rgb(238, 160, 62);      // amber: the colour of the strings
constexpr Colour warmWhite = rgb(243, 238, 228);
constexpr Colour valueBox = rgb(166, 167, 162);   // where the displays print their values in black
constexpr Colour nameField = rgb(189, 207, 218);  // the name field's back colour, as the control fills it
constexpr Colour strip = rgb(27, 28, 31);         // the preset strip along the bottom
constexpr Colour stripLabel = rgb(196, 200, 206);
constexpr Colour well = rgb(20, 21, 24);          // around the bypass button and in the LED's bezel
constexpr Colour black = rgb(0, 0, 0);
constexpr Colour white = rgb(255, 255, 255);
}  // namespace palette

// A knob (toolkit/CKnob) turns its handle from 225 degrees (lower left) over
// the top to -45 degrees (lower right), around the centre of its rectangle, so
// that the handle stays `handleInset` pixels inside the rectangle: the large
// handle's centre runs on a circle of radius 15, the small one's of radius 5.
namespace knob {
constexpr double startAngle = 225, sweepAngle = -270, handleInset = 3;
inline int handleId(const layout::Knob& k) { return k.large ? bitmap::kLargeHandle : bitmap::kSmallHandle; }
inline double handleSize(const layout::Knob& k) { return bitmap::find(handleId(k))->width; }
inline double handleRadius(const layout::Knob& k) {
    return k.rect.width() / 2.0 - handleInset - handleSize(k) / 2;
}
}  // namespace knob

// Shared by the panel and the about screen.
void brushedMetal(cairo_t* cr, Rect r, Colour top, Colour bottom, std::uint32_t seed);
void vibratingStrings(cairo_t* cr, Rect r, int count, Colour colour, double amplitude, double thickness);
// Light text over a dark shadow one pixel down, as engraved in the panel.
void engravedText(cairo_t* cr, const std::string& text, double x, double baseline, Align align,
                  Colour colour = palette::label);

// The bitmaps.
SurfacePtr background();                    // 1128
SurfacePtr knobHandle(int id);              // 1129, 1130
SurfacePtr bypassLed();                     // 1131
SurfacePtr bypassButton();                  // 1132
SurfacePtr aboutScreen();                   // 1200
SurfacePtr defaultPlate(int id);            // 19899, 19990
SurfacePtr stripKey(int id);                // the twelve-pixel keys of the strip
SurfacePtr stepSwitch();                    // 19997

// Every bitmap of BitmapIds.h, drawn.
struct Image {
    int id;
    SurfacePtr surface;
};
std::vector<Image> drawAll();

// The whole editor as a host shows it, with the about screen beside it.
SurfacePtr preview(const std::vector<Image>& images);

}  // namespace art
