// A toggle: each left click flips the value between minimum and maximum and
// reports it between begin and end of an edit. The bitmap holds two frames
// stacked vertically, off above on.
#pragma once

#include "toolkit/CControl.h"

class COnOffButton : public CControl {
public:
    COnOffButton(const CRect& size, CControlListener* listener, long tag, CBitmap* background, long style = 0);

    void draw(CDrawContext* context) override;
    CMouseEventResult onMouseDown(CPoint& where, const long& buttons) override;
    bool isTypeOf(const char* name) const override;

private:
    long style_;
};
