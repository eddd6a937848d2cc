#include "toolkit/CParamDisplay.h"

#include <cstdio>
#include <cstring>

CParamDisplay::CParamDisplay(const CRect& size, CBitmap* background, long /*style*/)
    : CControl(size, nullptr, 0, background) {}

void CParamDisplay::setValue(float value) {
    if (value > getMax())
        value = getMax();
    else if (!(value >= getMin()))
        value = getMin();
    CControl::setValue(value);
}

void CParamDisplay::setFont(const CFontDesc& font) {
    font_ = font;
    setDirty();
}

void CParamDisplay::setFontColor(const CColor& color) {
    fontColor_ = color;
    setDirty();
}

void CParamDisplay::setHoriAlign(CHoriTxtAlign align) {
    horiAlign_ = align;
    setDirty();
}

void CParamDisplay::setValueToStringProc(CParamDisplayValueToStringProc proc, void* userData) {
    valueToString_ = proc;
    userData_ = userData;
    setDirty();
}

std::string CParamDisplay::getText(float value) const {
    char text[kParamDisplayTextSize] = {};
    if (valueToString_)
        valueToString_(value, text, userData_);
    else
        std::snprintf(text, sizeof text, "%2.2f", value);
    // A converter that filled the whole buffer still ends within it.
    text[sizeof text - 1] = '\0';
    return text;
}

void CParamDisplay::draw(CDrawContext* context) {
    const std::string text = getText(getValue());
    drawBackground(context);
    context->setFont(font_);
    context->setFontColor(fontColor_);
    context->drawString(text.c_str(), size_, horiAlign_, true);
    setDirty(false);
}

bool CParamDisplay::isTypeOf(const char* name) const {
    return (name && std::strcmp(name, "CParamDisplay") == 0) || CControl::isTypeOf(name);
}
