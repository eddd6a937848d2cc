#include "toolkit/CView.h"

#include <cstring>

#include "toolkit/CBitmap.h"
#include "toolkit/CFrame.h"
#include "toolkit/CViewContainer.h"

CView::CView(const CRect& size) : size_(size) {}

CView::~CView() {
    if (background_) background_->forget();
}

void CView::draw(CDrawContext* context) {
    if (background_) background_->draw(context, size_);
    setDirty(false);
}

CMouseEventResult CView::onMouseDown(CPoint&, const long&) { return kMouseEventNotHandled; }
CMouseEventResult CView::onMouseUp(CPoint&, const long&) { return kMouseEventNotHandled; }
CMouseEventResult CView::onMouseMoved(CPoint&, const long&) { return kMouseEventNotHandled; }
CMouseEventResult CView::onMouseEntered(CPoint&, const long&) { return kMouseEventNotHandled; }
CMouseEventResult CView::onMouseExited(CPoint&, const long&) { return kMouseEventNotHandled; }
bool CView::onWheel(const CPoint&, const float&, const long&) { return false; }
long CView::onKeyDown(VstKeyCode&) { return -1; }
long CView::onKeyUp(VstKeyCode&) { return -1; }

void CView::invalid() {
    setDirty(true);
    if (frame_) frame_->invalidRect(getFrameRect());
}

bool CView::isTypeOf(const char* name) const { return name && std::strcmp(name, "CView") == 0; }

void CView::setViewSize(const CRect& size, bool invalidate) {
    if (invalidate && frame_) frame_->invalidRect(getFrameRect());
    size_ = size;
    if (invalidate) invalid();
}

bool CView::hitTest(const CPoint& where, const long&) const { return size_.pointInside(where); }

void CView::setBackground(CBitmap* background) {
    if (background == background_) return;
    if (background) background->remember();
    if (background_) background_->forget();
    background_ = background;
    setDirty(true);
}

void CView::attached(CViewContainer* parent, CFrame* frame) {
    parent_ = parent;
    frame_ = frame;
}

void CView::removed() {
    if (frame_ && static_cast<CView*>(frame_) != this) frame_->onViewRemoved(this);
    parent_ = nullptr;
    frame_ = nullptr;
}

CRect CView::getFrameRect() const {
    CRect r = size_;
    // The frame's own rectangle is its place in the host window, not an
    // offset of its children: only the containers below it count.
    for (const CView* v = parent_; v && v->parent_; v = v->parent_) r.offset(v->size_.left, v->size_.top);
    return r;
}
