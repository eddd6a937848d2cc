#include "editor/CArRockerSwitch.h"

#include "toolkit/CBitmap.h"

CArRockerSwitch::CArRockerSwitch(const CRect& size, CControlListener* listener, long tag, int frameHeight,
                                 CBitmap* bitmap, const CPoint& offset, long style)
    : CRockerSwitch(size, listener, tag, static_cast<CCoord>(frameHeight), bitmap, offset, style) {}

int CArRockerSwitch::halfAt(const CPoint& where) const {
    return where.x < (size_.left + size_.right) / 2 ? -1 : 1;
}

void CArRockerSwitch::draw(CDrawContext* context) {
    if (background_) {
        const float value = getValue();
        int frame = hover_ == -1 ? 1 : hover_ == 1 ? 2 : 0;
        if (value == -1.0f) frame = 3;
        else if (value == 1.0f) frame = 4;
        background_->draw(context, size_, CPoint(0, frame * getHeightOfOneImage()));
    }
    setDirty(false);
}

CMouseEventResult CArRockerSwitch::onMouseDown(CPoint& where, const long& buttons) {
    if (!(buttons & kLButton)) return kMouseEventNotHandled;
    setValue(static_cast<float>(halfAt(where)));
    invalid();
    valueChanged();
    return kMouseEventHandled;
}

CMouseEventResult CArRockerSwitch::onMouseMoved(CPoint& where, const long& buttons) {
    // While held, the side stays where the press began.
    if (buttons & kLButton) return kMouseEventHandled;
    return onMouseEntered(where, buttons);
}

CMouseEventResult CArRockerSwitch::onMouseUp(CPoint&, const long&) {
    setValue(0.0f);
    invalid();
    return kMouseEventHandled;
}

CMouseEventResult CArRockerSwitch::onMouseEntered(CPoint& where, const long&) {
    hover_ = halfAt(where);
    invalid();
    return kMouseEventHandled;
}

CMouseEventResult CArRockerSwitch::onMouseExited(CPoint&, const long&) {
    hover_ = 0;
    invalid();
    return kMouseEventHandled;
}
