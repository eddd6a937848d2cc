#include "toolkit/CViewContainer.h"

#include <algorithm>
#include <cairo.h>
#include <cstring>

#include "toolkit/CBitmap.h"
#include "toolkit/CDrawContext.h"

namespace {

// A point in a container's coordinates, moved into those of its children.
CPoint toLocal(const CPoint& where, const CView& container, bool isRoot) {
    if (isRoot) return where;
    const CRect& r = container.getViewSize();
    return CPoint(where.x - r.left, where.y - r.top);
}

}  // namespace

CViewContainer::CViewContainer(const CRect& size) : CView(size) {}

CViewContainer::~CViewContainer() { removeAll(true); }

bool CViewContainer::addView(CView* view) {
    if (!view || isChild(view)) return false;
    children_.push_back(view);
    view->attached(this, frame_);
    view->invalid();
    return true;
}

bool CViewContainer::removeView(CView* view, bool forget) {
    auto it = std::find(children_.begin(), children_.end(), view);
    if (it == children_.end()) return false;
    view->invalid();
    children_.erase(it);
    if (mouseDownView_ == view) mouseDownView_ = nullptr;
    view->removed();
    if (forget) view->forget();
    return true;
}

void CViewContainer::removeAll(bool forget) {
    mouseDownView_ = nullptr;
    std::vector<CView*> views;
    views.swap(children_);
    for (CView* view : views) {
        view->removed();
        if (forget) view->forget();
    }
}

bool CViewContainer::isChild(const CView* view) const {
    return std::find(children_.begin(), children_.end(), view) != children_.end();
}

CView* CViewContainer::getView(int index) const {
    return index >= 0 && index < getNbViews() ? children_[index] : nullptr;
}

void CViewContainer::draw(CDrawContext* context) { drawRect(context, size_); }

void CViewContainer::drawRect(CDrawContext* context, const CRect& area) {
    const bool root = parent_ == nullptr;
    if (background_) background_->draw(context, size_);
    const CPoint saved = context->getOffset();
    if (!root) context->setOffset(CPoint(saved.x + size_.left, saved.y + size_.top));
    CRect local = area;
    if (!root) local.offset(-size_.left, -size_.top);
    for (CView* view : children_) {
        if (!view->getViewSize().rectOverlap(local)) continue;
        if (auto* container = dynamic_cast<CViewContainer*>(view)) {
            container->drawRect(context, local);
        } else {
            view->beforeDraw();
            view->draw(context);
        }
    }
    context->setOffset(saved);
    CView::setDirty(false);
}

bool CViewContainer::isDirty() const {
    if (CView::isDirty()) return true;
    return std::any_of(children_.begin(), children_.end(), [](const CView* v) { return v->isDirty(); });
}

CView* CViewContainer::getViewAt(const CPoint& where) const {
    const CPoint local = toLocal(where, *this, parent_ == nullptr);
    for (auto it = children_.rbegin(); it != children_.rend(); ++it) {
        CView* view = *it;
        if (!view->getMouseEnabled() || !view->hitTest(local, 0)) continue;
        if (auto* container = dynamic_cast<CViewContainer*>(view)) {
            if (CView* inner = container->getViewAt(local)) return inner;
        }
        return view;
    }
    return nullptr;
}

CMouseEventResult CViewContainer::onMouseDown(CPoint& where, const long& buttons) {
    const CPoint local = toLocal(where, *this, parent_ == nullptr);
    // Topmost first; a view that does not handle the click lets the views
    // below it try.
    for (auto it = children_.rbegin(); it != children_.rend(); ++it) {
        CView* view = *it;
        if (!view->getMouseEnabled() || !view->hitTest(local, buttons)) continue;
        CPoint p = local;
        const CMouseEventResult result = view->onMouseDown(p, buttons);
        if (result == kMouseEventNotHandled) continue;
        mouseDownView_ = result == kMouseEventHandled ? view : nullptr;
        return result;
    }
    return kMouseEventNotHandled;
}

CMouseEventResult CViewContainer::onMouseUp(CPoint& where, const long& buttons) {
    CView* view = mouseDownView_;
    if (!view) return kMouseEventNotHandled;
    mouseDownView_ = nullptr;
    CPoint p = toLocal(where, *this, parent_ == nullptr);
    return view->onMouseUp(p, buttons);
}

CMouseEventResult CViewContainer::onMouseMoved(CPoint& where, const long& buttons) {
    const CPoint local = toLocal(where, *this, parent_ == nullptr);
    if (mouseDownView_) {
        CPoint p = local;
        return mouseDownView_->onMouseMoved(p, buttons);
    }
    for (auto it = children_.rbegin(); it != children_.rend(); ++it) {
        CView* view = *it;
        if (!view->getMouseEnabled() || !view->hitTest(local, buttons)) continue;
        CPoint p = local;
        return view->onMouseMoved(p, buttons);
    }
    return kMouseEventNotHandled;
}

bool CViewContainer::onWheel(const CPoint& where, const float& distance, const long& buttons) {
    const CPoint local = toLocal(where, *this, parent_ == nullptr);
    for (auto it = children_.rbegin(); it != children_.rend(); ++it) {
        CView* view = *it;
        if (!view->getMouseEnabled() || !view->hitTest(local, buttons)) continue;
        if (view->onWheel(local, distance, buttons)) return true;
    }
    return false;
}

bool CViewContainer::isTypeOf(const char* name) const {
    return (name && std::strcmp(name, "CViewContainer") == 0) || CView::isTypeOf(name);
}

void CViewContainer::attached(CViewContainer* parent, CFrame* frame) {
    CView::attached(parent, frame);
    for (CView* view : children_) view->attached(this, frame);
}

void CViewContainer::removed() {
    for (CView* view : children_) view->removed();
    CView::removed();
}
