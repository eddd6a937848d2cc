#include "toolkit/CControl.h"

#include <cstring>

#include "toolkit/CBitmap.h"
#include "toolkit/CControlListener.h"
#include "toolkit/CFrame.h"
#include "toolkit/VSTGUIEditorInterface.h"

CControl::CControl(const CRect& size, CControlListener* listener, long tag, CBitmap* background)
    : CView(size), tag_(tag), listener_(listener) {
    setBackground(background);
}

void CControl::bounceValue() {
    const float v = getValue();
    if (v > max_) setValue(max_);
    else if (v < min_) setValue(min_);
}

void CControl::valueChanged() {
    if (listener_) listener_->valueChanged(this);
}

void CControl::beginEdit() {
    ++editing_;
    if (listener_) listener_->controlBeginEdit(this);
    if (frame_ && frame_->getEditor()) frame_->getEditor()->beginEdit(tag_);
}

void CControl::endEdit() {
    if (editing_ > 0) --editing_;
    if (frame_ && frame_->getEditor()) frame_->getEditor()->endEdit(tag_);
    if (listener_) listener_->controlEndEdit(this);
}

bool CControl::isDirty() const {
    // Compared bit for bit, so that NaN does not count as always changed.
    const float value = getValue(), drawn = drawnValue_.load(std::memory_order_relaxed);
    return std::memcmp(&value, &drawn, sizeof value) != 0 || CView::isDirty();
}

void CControl::setDirty(bool dirty) {
    CView::setDirty(dirty);
    if (dirty) return;
    if (!drawing_) drawnValue_.store(getValue(), std::memory_order_relaxed);
    drawing_ = false;
}

void CControl::beforeDraw() {
    drawnValue_.store(getValue(), std::memory_order_relaxed);
    drawing_ = true;
}

bool CControl::isTypeOf(const char* name) const {
    return (name && std::strcmp(name, "CControl") == 0) || CView::isTypeOf(name);
}

void CControl::drawBackground(CDrawContext* context) const {
    if (background_) background_->draw(context, size_, backOffset_);
}
