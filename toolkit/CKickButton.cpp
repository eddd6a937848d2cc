#include "toolkit/CKickButton.h"

#include <cstring>

#include "toolkit/CBitmap.h"

CKickButton::CKickButton(const CRect& size, CControlListener* listener, long tag, CCoord heightOfOneImage,
                         CBitmap* background, const CPoint& offset)
    : CControl(size, listener, tag, background), offset_(offset) {
    setHeightOfOneImage(heightOfOneImage);
    setDefaultValue(0.0f);
}

void CKickButton::draw(CDrawContext* context) {
    if (background_) background_->draw(context, size_, frameOffset(offset_, getValue() == getMax() ? 1 : 0));
    setDirty(false);
}

CMouseEventResult CKickButton::onMouseDown(CPoint& where, const long& buttons) {
    if (!(buttons & kLButton)) return kMouseEventNotHandled;
    beginEdit();
    return onMouseMoved(where, buttons);
}

CMouseEventResult CKickButton::onMouseMoved(CPoint& where, const long& buttons) {
    if (buttons & kLButton) {
        setValue(size_.pointInside(where) ? getMax() : getMin());
        if (isDirty()) invalid();
    }
    return kMouseEventHandled;
}

CMouseEventResult CKickButton::onMouseUp(CPoint&, const long&) {
    // Released inside: the click counts.
    if (getValue() != getMin()) valueChanged();
    setValue(getMin());
    valueChanged();
    invalid();
    endEdit();
    return kMouseEventHandled;
}

long CKickButton::onKeyDown(VstKeyCode& key) {
    if (key.modifier != 0 || key.virt != VKEY_RETURN) return -1;
    if (getValue() != getMax()) {
        beginEdit();
        setValue(getMax());
        invalid();
        valueChanged();
    }
    return 1;
}

long CKickButton::onKeyUp(VstKeyCode& key) {
    if (key.modifier != 0 || key.virt != VKEY_RETURN) return -1;
    if (getValue() == getMax()) {
        setValue(getMin());
        invalid();
        valueChanged();
        endEdit();
    }
    return 1;
}

bool CKickButton::isTypeOf(const char* name) const {
    return (name && std::strcmp(name, "CKickButton") == 0) || CControl::isTypeOf(name);
}
