// The program step switch: a press on the left half reports -1, on the right
// half +1; release returns it to 0 without a report. The half under the
// pointer is highlighted. Bitmap frames: 0 rest, 1 hover left, 2 hover
// right, 3 pressed left, 4 pressed right.
#pragma once

#include "toolkit/CRockerSwitch.h"

class CArRockerSwitch : public CRockerSwitch {
public:
    CArRockerSwitch(const CRect& size, CControlListener* listener, long tag, int frameHeight, CBitmap* bitmap,
                    const CPoint& offset, long style);

    void draw(CDrawContext* context) override;
    CMouseEventResult onMouseDown(CPoint& where, const long& buttons) override;
    CMouseEventResult onMouseUp(CPoint& where, const long& buttons) override;
    CMouseEventResult onMouseMoved(CPoint& where, const long& buttons) override;
    CMouseEventResult onMouseEntered(CPoint& where, const long& buttons) override;
    CMouseEventResult onMouseExited(CPoint& where, const long& buttons) override;

    int getHoverState() const { return hover_; }

private:
    // -1 left half, +1 right half; the centre belongs to the right half.
    int halfAt(const CPoint& where) const;

    int hover_ = 0;
};
