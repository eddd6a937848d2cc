#include "toolkit/CDrawContext.h"

#include <cairo.h>

#include <string>

namespace {

// cairo refuses text that is not UTF-8 and then draws nothing more on the
// context; names from presets or hosts may well be Latin-1. Each byte that
// does not belong to a valid UTF-8 character shows as '?'.
std::string toValidUtf8(const char* text) {
    std::string out;
    const auto* p = reinterpret_cast<const unsigned char*>(text);
    while (*p) {
        int length = 0;
        unsigned char low = 0x80, high = 0xBF;  // the second byte's range
        if (*p < 0x80) length = 1;
        else if (*p >= 0xC2 && *p <= 0xDF) length = 2;
        else if (*p >= 0xE0 && *p <= 0xEF) length = 3, low = *p == 0xE0 ? 0xA0 : 0x80, high = *p == 0xED ? 0x9F : 0xBF;
        else if (*p >= 0xF0 && *p <= 0xF4) length = 4, low = *p == 0xF0 ? 0x90 : 0x80, high = *p == 0xF4 ? 0x8F : 0xBF;
        bool valid = length > 0;
        // A terminator fails every range, so nothing past it is read.
        for (int i = 1; valid && i < length; ++i)
            valid = i == 1 ? p[i] >= low && p[i] <= high : p[i] >= 0x80 && p[i] <= 0xBF;
        if (valid) {
            out.append(reinterpret_cast<const char*>(p), length);
            p += length;
        } else {
            out += '?';
            ++p;
        }
    }
    return out;
}

}  // namespace

CDrawContext::CDrawContext(cairo_t* cr) : cr_(cairo_reference(cr)) {}

CDrawContext::~CDrawContext() { cairo_destroy(cr_); }

void CDrawContext::setSource(const CColor& c) {
    cairo_set_source_rgba(cr_, c.red / 255.0, c.green / 255.0, c.blue / 255.0, c.alpha / 255.0);
}

void CDrawContext::pushClipRect(const CRect& r) {
    cairo_save(cr_);
    cairo_rectangle(cr_, r.left + offset_.x, r.top + offset_.y, r.width(), r.height());
    cairo_clip(cr_);
}

void CDrawContext::popClipRect() { cairo_restore(cr_); }

void CDrawContext::drawRect(const CRect& r, CDrawStyle style) {
    cairo_save(cr_);
    const double x = r.left + offset_.x, y = r.top + offset_.y;
    if (style != kDrawStroked) {
        cairo_rectangle(cr_, x, y, r.width(), r.height());
        setSource(fillColor_);
        cairo_fill(cr_);
    }
    if (style != kDrawFilled) {
        // Half-pixel inset keeps a one-pixel line on whole pixels inside the rectangle.
        const double half = lineWidth_ / 2;
        cairo_rectangle(cr_, x + half, y + half, r.width() - lineWidth_, r.height() - lineWidth_);
        cairo_set_line_width(cr_, lineWidth_);
        setSource(frameColor_);
        cairo_stroke(cr_);
    }
    cairo_restore(cr_);
}

void CDrawContext::drawLine(const CPoint& from, const CPoint& to) {
    cairo_save(cr_);
    cairo_move_to(cr_, from.x + offset_.x + 0.5, from.y + offset_.y + 0.5);
    cairo_line_to(cr_, to.x + offset_.x + 0.5, to.y + offset_.y + 0.5);
    cairo_set_line_width(cr_, lineWidth_);
    setSource(frameColor_);
    cairo_stroke(cr_);
    cairo_restore(cr_);
}

void CDrawContext::drawEllipse(const CRect& r, CDrawStyle style) {
    if (r.isEmpty()) return;
    cairo_save(cr_);
    cairo_translate(cr_, r.left + offset_.x + r.width() / 2, r.top + offset_.y + r.height() / 2);
    cairo_scale(cr_, r.width() / 2, r.height() / 2);
    cairo_arc(cr_, 0, 0, 1, 0, 6.283185307179586);
    cairo_restore(cr_);
    cairo_save(cr_);
    if (style != kDrawStroked) {
        setSource(fillColor_);
        cairo_fill_preserve(cr_);
    }
    if (style != kDrawFilled) {
        cairo_set_line_width(cr_, lineWidth_);
        setSource(frameColor_);
        cairo_stroke_preserve(cr_);
    }
    cairo_new_path(cr_);
    cairo_restore(cr_);
}

void CDrawContext::selectFont() {
    cairo_select_font_face(cr_, font_.name.c_str(),
                           (font_.style & kItalicFace) ? CAIRO_FONT_SLANT_ITALIC : CAIRO_FONT_SLANT_NORMAL,
                           (font_.style & kBoldFace) ? CAIRO_FONT_WEIGHT_BOLD : CAIRO_FONT_WEIGHT_NORMAL);
    cairo_set_font_size(cr_, font_.size);
}

CCoord CDrawContext::getStringWidth(const char* text) {
    if (!text) return 0;
    cairo_save(cr_);
    selectFont();
    cairo_text_extents_t extents;
    cairo_text_extents(cr_, toValidUtf8(text).c_str(), &extents);
    cairo_restore(cr_);
    return extents.x_advance;
}

std::vector<CCoord> CDrawContext::measureStrings(const CFontDesc& font, const std::vector<std::string>& texts) {
    // Text widths need a cairo context; a one-pixel image serves.
    cairo_surface_t* surface = cairo_image_surface_create(CAIRO_FORMAT_ARGB32, 1, 1);
    cairo_t* cr = cairo_create(surface);
    std::vector<CCoord> widths;
    {
        CDrawContext context(cr);
        context.setFont(font);
        for (const std::string& text : texts) widths.push_back(context.getStringWidth(text.c_str()));
    }
    cairo_destroy(cr);
    cairo_surface_destroy(surface);
    return widths;
}

void CDrawContext::drawString(const char* text, const CRect& r, CHoriTxtAlign align, bool antialias) {
    if (!text || !*text || r.isEmpty()) return;
    const std::string utf8 = toValidUtf8(text);
    text = utf8.c_str();
    cairo_save(cr_);
    const double x = r.left + offset_.x, y = r.top + offset_.y;
    cairo_rectangle(cr_, x, y, r.width(), r.height());
    cairo_clip(cr_);
    selectFont();
    cairo_font_options_t* options = cairo_font_options_create();
    cairo_font_options_set_antialias(options, antialias ? CAIRO_ANTIALIAS_GRAY : CAIRO_ANTIALIAS_NONE);
    cairo_set_font_options(cr_, options);
    cairo_font_options_destroy(options);

    cairo_text_extents_t extents;
    cairo_text_extents(cr_, text, &extents);
    cairo_font_extents_t font;
    cairo_font_extents(cr_, &font);
    double left = x;
    if (align == kCenterText) left = x + (r.width() - extents.x_advance) / 2;
    else if (align == kRightText) left = x + r.width() - extents.x_advance;
    // Baseline so that ascent + descent sit centred in the rectangle.
    const double baseline = y + (r.height() + font.ascent - font.descent) / 2;
    cairo_move_to(cr_, static_cast<int>(left + 0.5), static_cast<int>(baseline + 0.5));
    setSource(fontColor_);
    cairo_show_text(cr_, text);
    cairo_restore(cr_);
}
