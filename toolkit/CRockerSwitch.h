// A two-sided switch: minimum (-1) while the left side is held, maximum (+1)
// while the right side is held, 0 at rest; its bitmap holds three frames:
// left held, rest, right held.
#pragma once

#include "toolkit/CControl.h"
#include "toolkit/IMultiBitmapControl.h"

enum CRockerStyle { kHorizontal = 1 << 0, kVertical = 1 << 1 };

class CRockerSwitch : public CControl, public IMultiBitmapControl {
public:
    CRockerSwitch(const CRect& size, CControlListener* listener, long tag, CCoord heightOfOneImage,
                  CBitmap* background, const CPoint& offset = CPoint(0, 0), long style = kHorizontal);

    void draw(CDrawContext* context) override;
    CMouseEventResult onMouseDown(CPoint& where, const long& buttons) override;
    CMouseEventResult onMouseUp(CPoint& where, const long& buttons) override;
    CMouseEventResult onMouseMoved(CPoint& where, const long& buttons) override;
    bool onWheel(const CPoint& where, const float& distance, const long& buttons) override;
    bool isTypeOf(const char* name) const override;

protected:
    // -1 or +1 for the side of the switch under `where`.
    float sideAt(const CPoint& where) const;

    CPoint offset_;
    long style_;
};
