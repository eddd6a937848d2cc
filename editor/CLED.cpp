#include "editor/CLED.h"

#include <cstring>

#include "toolkit/CBitmap.h"

CLED::CLED(const CRect& size, CBitmap* bitmap)
    : CControl(size), bitmap_(bitmap), onOffset_(0, bitmap ? bitmap->getHeight() / 2 : 0), drawRect_(size) {
    if (bitmap_) bitmap_->remember();
}

CLED::~CLED() {
    if (bitmap_) bitmap_->forget();
}

void CLED::draw(CDrawContext* context) {
    // Exactly 0.5 is still off.
    if (bitmap_) bitmap_->draw(context, drawRect_, getValue() > 0.5f ? onOffset_ : offOffset_);
    setDirty(false);
}

bool CLED::isTypeOf(const char* name) const {
    return (name && std::strcmp(name, "CLED") == 0) || CControl::isTypeOf(name);
}

CView* CLED::newCopy() const {
    auto* copy = new CLED(drawRect_, bitmap_);
    copy->setValue(getValue());
    return copy;
}
