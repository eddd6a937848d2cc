// A file button: one notification per click, made during the press, 1.0 for
// the normal action (left click, or right click with a modifier) and 0.5 for
// the alternative one (right click alone); it never stays pressed. Bitmap
// frames: 0 normal, 1 hover, 2 value not zero.
#pragma once

#include "toolkit/CKickButton.h"

class CSaveLoadButton : public CKickButton {
public:
    CSaveLoadButton(const CRect& size, CControlListener* listener, long tag, int frameHeight, CBitmap* bitmap,
                    const CPoint& offset);

    void draw(CDrawContext* context) override;
    CMouseEventResult onMouseDown(CPoint& where, const long& buttons) override;
    CMouseEventResult onMouseEntered(CPoint& where, const long& buttons) override;
    CMouseEventResult onMouseExited(CPoint& where, const long& buttons) override;
    // No keyboard action.
    long onKeyDown(VstKeyCode& key) override;
    long onKeyUp(VstKeyCode& key) override;

    bool isHovered() const { return hover_; }

private:
    bool hover_ = false;
};
