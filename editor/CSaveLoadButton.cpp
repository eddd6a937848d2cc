#include "editor/CSaveLoadButton.h"

#include "toolkit/CBitmap.h"

CSaveLoadButton::CSaveLoadButton(const CRect& size, CControlListener* listener, long tag, int frameHeight,
                                 CBitmap* bitmap, const CPoint& offset)
    : CKickButton(size, listener, tag, static_cast<CCoord>(frameHeight), bitmap, offset) {}

void CSaveLoadButton::draw(CDrawContext* context) {
    if (background_) {
        const float value = getValue();
        const int frame = hover_ && value == 0.0f ? 1 : value != 0.0f ? 2 : 0;
        background_->draw(context, size_, frameOffset(offset_, frame));
    }
    setDirty(false);
}

CMouseEventResult CSaveLoadButton::onMouseDown(CPoint&, const long& buttons) {
    if (!(buttons & (kLButton | kRButton)) || !listener_) return kMouseEventNotHandled;
    setValue(buttons == kRButton ? 0.5f : 1.0f);
    valueChanged();
    setValue(0.0f);
    invalid();
    return kMouseDownEventHandledButDontNeedMovedOrUpEvents;
}

CMouseEventResult CSaveLoadButton::onMouseEntered(CPoint&, const long&) {
    hover_ = true;
    invalid();
    return kMouseEventHandled;
}

CMouseEventResult CSaveLoadButton::onMouseExited(CPoint&, const long&) {
    hover_ = false;
    invalid();
    return kMouseEventHandled;
}

long CSaveLoadButton::onKeyDown(VstKeyCode&) { return -1; }
long CSaveLoadButton::onKeyUp(VstKeyCode&) { return -1; }
