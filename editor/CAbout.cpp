#include "editor/CAbout.h"

#include <cstring>
#include <new>

#include "editor/EditorLayout.h"
#include "toolkit/CBitmap.h"
#include "toolkit/CDrawContext.h"
#include "toolkit/CFrame.h"

CAbout::CAbout(const CRect& size, CControlListener* listener, long tag, CBitmap* bitmap, const CRect& aboutRect,
               const CPoint& offset, const CPoint& versionPoint)
    : CSplashScreen(size, listener, tag, bitmap, aboutRect, offset), versionPoint_(versionPoint) {}

CMouseEventResult CAbout::onMouseDown(CPoint&, const long& buttons) {
    if (!(buttons & kLButton)) return kMouseEventNotHandled;
    setValue(getValue() == 0.0f ? 1.0f : 0.0f);
    if (getValue() == 0.0f) return kMouseEventHandled;
    // Without a view the value stays 1.0: the next click toggles it back
    // without showing anything, and the one after tries again.
    auto* view = new (std::nothrow) CSplashScreenMyView(getDisplayRect(), this, versionPoint_);
    if (!view) {
        if (frame_) frame_->setModalView(nullptr);
    } else if (!frame_ || !frame_->setModalView(view)) {
        view->forget();
    }
    invalid();
    return kMouseEventHandled;
}

CSplashScreenMyView::CSplashScreenMyView(const CRect& aboutRect, CAbout* about, const CPoint& versionPoint)
    : CControl(aboutRect, nullptr, 0, about ? about->getBackground() : nullptr),
      about_(about),
      versionPoint_(versionPoint) {}

bool CSplashScreenMyView::isTypeOf(const char* name) const {
    return (name && std::strcmp(name, "CSplashScreenMyView") == 0) || CControl::isTypeOf(name);
}

CView* CSplashScreenMyView::newCopy() const { return new CSplashScreenMyView(size_, about_, versionPoint_); }

void CSplashScreenMyView::draw(CDrawContext* context) {
    if (background_) background_->draw(context, size_, CPoint(0, 0), 1.0f);
    context->setFontColor(CColor{0, 0, 0, 255});
    context->setFont(CFontDesc{"Arial", 9});
    const CCoord left = size_.left + versionPoint_.x, top = size_.top + versionPoint_.y;
    context->drawString(kVersionText,
                        CRect(left, top, left + layout::kAboutVersion.width(), top + layout::kAboutVersion.height()),
                        kLeftText, true);
    setDirty(false);
}

CMouseEventResult CSplashScreenMyView::onMouseDown(CPoint&, const long& buttons) {
    if (!(buttons & kLButton)) return kMouseEventNotHandled;
    CFrame* frame = getFrame();
    if (about_) about_->unSplash();
    if (frame) {
        frame->setDirty(true);
        frame->setModalView(nullptr);
    }
    forget();  // the last reference: the view is gone
    return kMouseEventHandled;
}
