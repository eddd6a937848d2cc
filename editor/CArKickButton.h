// A momentary button that reports its click once, on the press, and shows a
// hover frame. Bitmap frames: 0 normal, 1 hover, 2 pressed. A double-click-
// only button acts on double clicks alone and reports 0.5 when Ctrl is held.
#pragma once

#include "toolkit/CKickButton.h"

class CArKickButton : public CKickButton {
public:
    CArKickButton(const CRect& size, CControlListener* listener, long tag, int frameHeight, CBitmap* bitmap,
                  const CPoint& offset, bool doubleClickOnly);

    void draw(CDrawContext* context) override;
    CMouseEventResult onMouseDown(CPoint& where, const long& buttons) override;
    CMouseEventResult onMouseUp(CPoint& where, const long& buttons) override;
    CMouseEventResult onMouseEntered(CPoint& where, const long& buttons) override;
    CMouseEventResult onMouseExited(CPoint& where, const long& buttons) override;

    bool isHovered() const { return hover_; }
    bool isPressed() const { return pressed_; }

private:
    bool hover_ = false;
    bool doubleClickOnly_;
    bool pressed_ = false;
};
