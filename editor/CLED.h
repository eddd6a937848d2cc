// The bypass indicator: a two-frame bitmap (off above, on below), lit while
// the value is above 0.5. It has no listener and ignores the mouse.
#pragma once

#include "toolkit/CControl.h"

class CLED : public CControl {
public:
    CLED(const CRect& size, CBitmap* bitmap);

    void draw(CDrawContext* context) override;
    bool isTypeOf(const char* name) const override;
    CView* newCopy() const override;

private:
    ~CLED() override;

    CBitmap* bitmap_;
    CPoint offOffset_;
    CPoint onOffset_;
    CRect drawRect_;
};
