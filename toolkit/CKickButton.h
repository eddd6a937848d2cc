// A momentary button: pressed (maximum) while the left button is held over
// it, back to its minimum on release, which reports the click. Its bitmap
// holds two frames: released, pressed.
#pragma once

#include "toolkit/CControl.h"
#include "toolkit/IMultiBitmapControl.h"

class CKickButton : public CControl, public IMultiBitmapControl {
public:
    CKickButton(const CRect& size, CControlListener* listener, long tag, CCoord heightOfOneImage, CBitmap* background,
                const CPoint& offset = CPoint(0, 0));

    void draw(CDrawContext* context) override;
    CMouseEventResult onMouseDown(CPoint& where, const long& buttons) override;
    CMouseEventResult onMouseUp(CPoint& where, const long& buttons) override;
    // While held: the maximum inside the rectangle, the minimum outside.
    CMouseEventResult onMouseMoved(CPoint& where, const long& buttons) override;
    // Return presses and releases the button like a click.
    long onKeyDown(VstKeyCode& key) override;
    long onKeyUp(VstKeyCode& key) override;
    bool isTypeOf(const char* name) const override;

protected:
    CPoint offset_;
};
