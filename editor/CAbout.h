// The about screen. CAbout is an invisible control over the title plate; a
// left click on it lays CSplashScreenMyView (the about picture with the
// version printed on it) over the window as the frame's modal view, and a
// left click on that view takes it away again.
#pragma once

#include "effect/Version.h"
#include "toolkit/CSplashScreen.h"

inline constexpr const char* kVersionText = version::kText;

class CAbout : public CSplashScreen {
public:
    CAbout(const CRect& size, CControlListener* listener, long tag, CBitmap* bitmap, const CRect& aboutRect,
           const CPoint& offset, const CPoint& versionPoint);

    CMouseEventResult onMouseDown(CPoint& where, const long& buttons) override;

private:
    CPoint versionPoint_;
};

class CSplashScreenMyView : public CControl {
public:
    CSplashScreenMyView(const CRect& aboutRect, CAbout* about, const CPoint& versionPoint);

    bool isTypeOf(const char* name) const override;
    CView* newCopy() const override;
    void draw(CDrawContext* context) override;
    CMouseEventResult onMouseDown(CPoint& where, const long& buttons) override;

private:
    CAbout* about_;
    CPoint versionPoint_;
};
