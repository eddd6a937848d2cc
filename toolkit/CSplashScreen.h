// An invisible control that, on a left click, shows its bitmap over the
// window as the frame's modal view; a click on that view hides it again.
#pragma once

#include "toolkit/CControl.h"

class CSplashScreen : public CControl {
public:
    CSplashScreen(const CRect& size, CControlListener* listener, long tag, CBitmap* background,
                  const CRect& toDisplay, const CPoint& offset = CPoint(0, 0));

    void draw(CDrawContext* context) override;
    CMouseEventResult onMouseDown(CPoint& where, const long& buttons) override;
    // Back to the minimum, and the splash view it showed (if any) goes away.
    virtual void unSplash();
    bool isTypeOf(const char* name) const override;

    const CRect& getDisplayRect() const { return toDisplay_; }
    const CPoint& getOffset() const { return offset_; }

protected:
    ~CSplashScreen() override;

    CRect toDisplay_;
    CPoint offset_;
    CView* splashView_ = nullptr;  // the one it shows itself
};
