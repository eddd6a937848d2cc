// Shows a value as text over its part of the background picture. The text
// comes from a converter the editor sets, or is "%2.2f" without one. It is
// read-only: no listener, and the mouse passes it by.
#pragma once

#include <string>

#include "toolkit/CControl.h"
#include "toolkit/CDrawContext.h"

// Writes the text for `value` into `text`, a zero-filled buffer of
// kParamDisplayTextSize bytes.
using CParamDisplayValueToStringProc = void (*)(float value, char* text, void* userData);
inline constexpr int kParamDisplayTextSize = 256;

class CParamDisplay : public CControl {
public:
    // The style is 0, the only look this toolkit draws: the background
    // picture with no frame or 3-D edge.
    explicit CParamDisplay(const CRect& size, CBitmap* background = nullptr, long style = 0);

    // Kept within min..max; NaN shows the minimum.
    void setValue(float value) override;
    void draw(CDrawContext* context) override;
    bool isTypeOf(const char* name) const override;

    void setFont(const CFontDesc& font);
    const CFontDesc& getFont() const { return font_; }
    void setFontColor(const CColor& color);
    const CColor& getFontColor() const { return fontColor_; }
    void setHoriAlign(CHoriTxtAlign align);
    CHoriTxtAlign getHoriAlign() const { return horiAlign_; }
    void setValueToStringProc(CParamDisplayValueToStringProc proc, void* userData = nullptr);
    // The text shown for a value (the current one by default).
    std::string getText(float value) const;
    std::string getText() const { return getText(getValue()); }

protected:
    CFontDesc font_;
    CColor fontColor_ = kWhiteCColor;
    CHoriTxtAlign horiAlign_ = kCenterText;
    CParamDisplayValueToStringProc valueToString_ = nullptr;
    void* userData_ = nullptr;
};
