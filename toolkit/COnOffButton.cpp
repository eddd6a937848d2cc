#include "toolkit/COnOffButton.h"

#include <cstring>

#include "toolkit/CBitmap.h"

COnOffButton::COnOffButton(const CRect& size, CControlListener* listener, long tag, CBitmap* background, long style)
    : CControl(size, listener, tag, background), style_(style) {
    setDefaultValue(0.0f);
}

void COnOffButton::draw(CDrawContext* context) {
    if (background_) {
        const CCoord half = background_->getHeight() / 2;
        background_->draw(context, size_, CPoint(0, getValue() == getMax() ? half : 0));
    }
    setDirty(false);
}

CMouseEventResult COnOffButton::onMouseDown(CPoint&, const long& buttons) {
    if (!(buttons & kLButton)) return kMouseEventNotHandled;
    setValue(getValue() == getMax() ? getMin() : getMax());
    invalid();
    beginEdit();
    valueChanged();
    endEdit();
    return kMouseDownEventHandledButDontNeedMovedOrUpEvents;
}

bool COnOffButton::isTypeOf(const char* name) const {
    return (name && std::strcmp(name, "COnOffButton") == 0) || CControl::isTypeOf(name);
}
