// Drawing on a cairo context in window pixels: rectangles, lines, text in a
// rectangle, and bitmaps (see CBitmap::draw). Views draw in the coordinates
// of their container; the context carries the offset.
#pragma once

#include <string>
#include <vector>

#include "toolkit/CColor.h"
#include "toolkit/CFontDesc.h"
#include "toolkit/CRect.h"

typedef struct _cairo cairo_t;

enum CHoriTxtAlign { kLeftText = 0, kCenterText, kRightText };
enum CDrawStyle { kDrawStroked = 0, kDrawFilled, kDrawFilledAndStroked };

class CDrawContext {
public:
    explicit CDrawContext(cairo_t* cr);
    ~CDrawContext();
    CDrawContext(const CDrawContext&) = delete;
    CDrawContext& operator=(const CDrawContext&) = delete;

    void setFillColor(const CColor& c) { fillColor_ = c; }
    void setFrameColor(const CColor& c) { frameColor_ = c; }
    void setFontColor(const CColor& c) { fontColor_ = c; }
    void setFont(const CFontDesc& font) { font_ = font; }
    void setLineWidth(CCoord width) { lineWidth_ = width; }
    const CColor& getFontColor() const { return fontColor_; }
    const CFontDesc& getFont() const { return font_; }

    void drawRect(const CRect& rect, CDrawStyle style = kDrawStroked);
    void drawLine(const CPoint& from, const CPoint& to);
    void drawEllipse(const CRect& rect, CDrawStyle style = kDrawStroked);
    // One line of text, vertically centred in the rectangle and clipped to it.
    void drawString(const char* text, const CRect& rect, CHoriTxtAlign align = kCenterText, bool antialias = true);
    CCoord getStringWidth(const char* text);
    // The widths of texts in a font, without a window to draw in.
    static std::vector<CCoord> measureStrings(const CFontDesc& font, const std::vector<std::string>& texts);

    // Drawing is limited to the rectangle, within any earlier limit, until
    // the matching popClipRect.
    void pushClipRect(const CRect& rect);
    void popClipRect();

    // Translation of the coordinates views draw in (a container's origin).
    void setOffset(const CPoint& offset) { offset_ = offset; }
    const CPoint& getOffset() const { return offset_; }

    cairo_t* getCairo() const { return cr_; }

private:
    void selectFont();
    void setSource(const CColor& c);

    cairo_t* cr_;
    CColor fillColor_ = kWhiteCColor;
    CColor frameColor_ = kBlackCColor;
    CColor fontColor_ = kBlackCColor;
    CFontDesc font_;
    CCoord lineWidth_ = 1;
    CPoint offset_;
};
