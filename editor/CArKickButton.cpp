#include "editor/CArKickButton.h"

#include "toolkit/CBitmap.h"

CArKickButton::CArKickButton(const CRect& size, CControlListener* listener, long tag, int frameHeight,
                             CBitmap* bitmap, const CPoint& offset, bool doubleClickOnly)
    : CKickButton(size, listener, tag, static_cast<CCoord>(frameHeight), bitmap, offset),
      doubleClickOnly_(doubleClickOnly) {}

void CArKickButton::draw(CDrawContext* context) {
    if (background_) {
        const int frame = pressed_ ? 2 : hover_ ? 1 : 0;
        background_->draw(context, size_, frameOffset(offset_, frame));
    }
    setDirty(false);
}

CMouseEventResult CArKickButton::onMouseDown(CPoint&, const long& buttons) {
    // Swallowed: not passed on to the views below either.
    if (!(buttons & kLButton)) return kMouseDownEventHandledButDontNeedMovedOrUpEvents;
    if (doubleClickOnly_ && !(buttons & kDoubleClick)) return kMouseDownEventHandledButDontNeedMovedOrUpEvents;
    pressed_ = true;
    setValue(doubleClickOnly_ && (buttons & kControl) ? 0.5f : 1.0f);
    valueChanged();
    invalid();
    return kMouseEventHandled;
}

CMouseEventResult CArKickButton::onMouseUp(CPoint&, const long&) {
    setValue(0.0f);
    pressed_ = false;
    invalid();
    return kMouseEventHandled;
}

CMouseEventResult CArKickButton::onMouseEntered(CPoint&, const long&) {
    hover_ = true;
    invalid();
    return kMouseEventHandled;
}

CMouseEventResult CArKickButton::onMouseExited(CPoint&, const long&) {
    hover_ = false;
    invalid();
    return kMouseEventHandled;
}
