#include "toolkit/CRockerSwitch.h"

#include <cstring>

#include "toolkit/CBitmap.h"

CRockerSwitch::CRockerSwitch(const CRect& size, CControlListener* listener, long tag, CCoord heightOfOneImage,
                             CBitmap* background, const CPoint& offset, long style)
    : CControl(size, listener, tag, background), offset_(offset), style_(style) {
    setHeightOfOneImage(heightOfOneImage);
    setMin(-1.0f);
    setMax(1.0f);
    setDefaultValue(0.0f);
    setValue(0.0f);
}

float CRockerSwitch::sideAt(const CPoint& where) const {
    // The centre belongs to the second half.
    if (style_ & kVertical) return where.y < (size_.top + size_.bottom) / 2 ? -1.0f : 1.0f;
    return where.x < (size_.left + size_.right) / 2 ? -1.0f : 1.0f;
}

void CRockerSwitch::draw(CDrawContext* context) {
    const float v = getValue();
    const int frame = v == getMin() ? 0 : v == getMax() ? 2 : 1;
    if (background_) background_->draw(context, size_, frameOffset(offset_, frame));
    setDirty(false);
}

CMouseEventResult CRockerSwitch::onMouseDown(CPoint& where, const long& buttons) {
    if (!(buttons & kLButton)) return kMouseEventNotHandled;
    beginEdit();
    return onMouseMoved(where, buttons);
}

CMouseEventResult CRockerSwitch::onMouseMoved(CPoint& where, const long& buttons) {
    if (!(buttons & kLButton)) return kMouseEventNotHandled;
    const float v = size_.pointInside(where) ? sideAt(where) : 0.0f;
    if (v != getValue()) {
        setValue(v);
        invalid();
        valueChanged();
    }
    return kMouseEventHandled;
}

CMouseEventResult CRockerSwitch::onMouseUp(CPoint&, const long&) {
    if (getValue() != 0.0f) {
        setValue(0.0f);
        invalid();
        valueChanged();
    }
    endEdit();
    return kMouseEventHandled;
}

bool CRockerSwitch::onWheel(const CPoint&, const float& distance, const long&) {
    if (distance == 0) return false;
    beginEdit();
    setValue(distance > 0 ? getMax() : getMin());
    valueChanged();
    setValue(0.0f);
    valueChanged();
    invalid();
    endEdit();
    return true;
}

bool CRockerSwitch::isTypeOf(const char* name) const {
    return (name && std::strcmp(name, "CRockerSwitch") == 0) || CControl::isTypeOf(name);
}
