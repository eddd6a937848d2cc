#include "toolkit/CSplashScreen.h"

#include <cstring>

#include "toolkit/CBitmap.h"
#include "toolkit/CFrame.h"

namespace {

// Shows the bitmap and closes the splash on a left click.
class DefaultSplashView : public CView {
public:
    DefaultSplashView(CSplashScreen& owner, CBitmap* bitmap, const CRect& size, const CPoint& offset)
        : CView(size), owner_(owner), offset_(offset) {
        setBackground(bitmap);
    }
    void draw(CDrawContext* context) override {
        if (background_) background_->draw(context, size_, offset_);
        setDirty(false);
    }
    CMouseEventResult onMouseDown(CPoint&, const long& buttons) override {
        if (!(buttons & kLButton)) return kMouseEventNotHandled;
        owner_.unSplash();
        return kMouseDownEventHandledButDontNeedMovedOrUpEvents;
    }

private:
    CSplashScreen& owner_;
    CPoint offset_;
};

}  // namespace

CSplashScreen::CSplashScreen(const CRect& size, CControlListener* listener, long tag, CBitmap* background,
                             const CRect& toDisplay, const CPoint& offset)
    : CControl(size, listener, tag, background), toDisplay_(toDisplay), offset_(offset) {
    setDefaultValue(0.0f);
}

CSplashScreen::~CSplashScreen() {
    // A splash still shown belongs to the frame, which destroys it.
    splashView_ = nullptr;
}

void CSplashScreen::draw(CDrawContext*) { setDirty(false); }

CMouseEventResult CSplashScreen::onMouseDown(CPoint&, const long& buttons) {
    if (!(buttons & kLButton)) return kMouseEventNotHandled;
    setValue(getValue() == getMin() ? getMax() : getMin());
    if (getValue() == getMax() && frame_ && !frame_->getModalView()) {
        splashView_ = new DefaultSplashView(*this, background_, toDisplay_, offset_);
        frame_->setModalView(splashView_);
    }
    invalid();
    return kMouseDownEventHandledButDontNeedMovedOrUpEvents;
}

void CSplashScreen::unSplash() {
    setValue(getMin());
    if (!splashView_) return;
    CView* view = splashView_;
    splashView_ = nullptr;
    if (frame_ && frame_->getModalView() == view) {
        frame_->setModalView(nullptr);
        frame_->setDirty(true);
        view->forget();
    }
}

bool CSplashScreen::isTypeOf(const char* name) const {
    return (name && std::strcmp(name, "CSplashScreen") == 0) || CControl::isTypeOf(name);
}
