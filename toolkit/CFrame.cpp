#include "toolkit/CFrame.h"

#include <cairo.h>

#include <cstring>

#include "toolkit/CDrawContext.h"

namespace {

// A frame point in the coordinates of the container that holds `view`.
CPoint toViewCoordinates(const CView& view, const CPoint& where) {
    const CRect inFrame = view.getFrameRect();
    const CRect& own = view.getViewSize();
    return CPoint(where.x - (inFrame.left - own.left), where.y - (inFrame.top - own.top));
}

// Overlapping areas become one, so that no view is drawn twice in a pass.
std::vector<CRect> mergeOverlapping(std::vector<CRect> areas) {
    std::vector<CRect> merged;
    while (!areas.empty()) {
        CRect area = areas.back();
        areas.pop_back();
        bool grew = true;
        while (grew) {
            grew = false;
            for (auto it = merged.begin(); it != merged.end(); ++it) {
                if (!it->rectOverlap(area)) continue;
                area.unite(*it);
                merged.erase(it);
                grew = true;
                break;
            }
        }
        merged.push_back(area);
    }
    return merged;
}

}  // namespace

// Keeps the frame, and so every view in it, alive while an event is handled.
class CFrame::Handling {
public:
    explicit Handling(CFrame& frame) : frame_(frame) { frame_.remember(); }
    ~Handling() { frame_.forget(); }
    Handling(const Handling&) = delete;
    Handling& operator=(const Handling&) = delete;

private:
    CFrame& frame_;
};

CFrame::CFrame(const CRect& size, void* systemWindow, VSTGUIEditorInterface* editor)
    : CViewContainer(size), editor_(editor) {
    frame_ = this;
    const int width = size.width() > 0 ? static_cast<int>(size.width()) : 1;
    const int height = size.height() > 0 ? static_cast<int>(size.height()) : 1;
    image_ = cairo_image_surface_create(CAIRO_FORMAT_ARGB32, width, height);
    setDirty(true);
    if (systemWindow) platformWindow_ = createPlatformWindow(systemWindow, CRect(0, 0, width, height), *this);
}

CFrame::~CFrame() {
    if (modalView_) {
        CView* modal = modalView_;
        modalView_ = nullptr;
        modal->removed();
        modal->forget();
    }
    removeAll(true);
    platformWindow_.reset();
    cairo_surface_destroy(image_);
}

void CFrame::close() {
    if (closed_) return;
    closed_ = true;
    // The typed text is taken, while the views and the window still exist.
    setFocusView(nullptr);
    platformWindow_.reset();
    forget();
}

unsigned long CFrame::getPlatformWindowId() const { return platformWindow_ ? platformWindow_->windowId() : 0; }

bool CFrame::isTypeOf(const char* name) const {
    return (name && std::strcmp(name, "CFrame") == 0) || CViewContainer::isTypeOf(name);
}

void CFrame::idle() {
    if (closed_) return;
    Handling handling(*this);
    if (platformWindow_) {
        platformWindow_->pumpEvents();
        releaseGoneWindow();
    }
    if (!closed_) updateDirtyViews();
}

void CFrame::releaseGoneWindow() {
    if (!windowGone_) return;
    windowGone_ = false;
    platformWindow_.reset();
}

void CFrame::invalidRect(const CRect& area) {
    CRect r = area;
    const CRect bounds(0, 0, size_.width(), size_.height());
    if (r.left < bounds.left) r.left = bounds.left;
    if (r.top < bounds.top) r.top = bounds.top;
    if (r.right > bounds.right) r.right = bounds.right;
    if (r.bottom > bounds.bottom) r.bottom = bounds.bottom;
    if (!r.isEmpty()) invalidAreas_.push_back(r);
}

void CFrame::setDirty(bool dirty) {
    CView::setDirty(dirty);
    if (dirty) invalidRect(CRect(0, 0, size_.width(), size_.height()));
}

void CFrame::collectDirty(CView* view, std::vector<CRect>& areas) {
    if (auto* container = dynamic_cast<CViewContainer*>(view)) {
        for (int i = 0; i < container->getNbViews(); ++i) collectDirty(container->getView(i), areas);
        return;
    }
    if (view->isDirty()) areas.push_back(view->getFrameRect());
}

void CFrame::updateDirtyViews() {
    std::vector<CRect> areas;
    areas.swap(invalidAreas_);
    for (CView* view : children_) collectDirty(view, areas);
    if (modalView_) collectDirty(modalView_, areas);
    if (areas.empty()) return;
    areas = mergeOverlapping(std::move(areas));
    CRect changed;
    for (const CRect& area : areas) {
        redraw(area);
        changed.unite(area);
    }
    CView::setDirty(false);
    if (platformWindow_) platformWindow_->invalidate(changed);
}

void CFrame::redraw(const CRect& area) {
    cairo_t* cr = cairo_create(image_);
    cairo_rectangle(cr, area.left, area.top, area.width(), area.height());
    cairo_clip(cr);
    // Views that draw nothing over part of their rectangle show the frame's
    // background colour there, not a previous picture.
    cairo_set_source_rgb(cr, 0, 0, 0);
    cairo_paint(cr);
    {
        CDrawContext context(cr);
        drawRect(&context, area);
        if (modalView_ && modalView_->getViewSize().rectOverlap(area)) {
            if (auto* container = dynamic_cast<CViewContainer*>(modalView_)) {
                container->drawRect(&context, area);
            } else {
                modalView_->beforeDraw();
                modalView_->draw(&context);
            }
        }
    }
    cairo_destroy(cr);
    cairo_surface_flush(image_);
}

bool CFrame::saveImage(const char* pngPath) {
    if (!pngPath) return false;
    updateDirtyViews();
    return cairo_surface_write_to_png(image_, pngPath) == CAIRO_STATUS_SUCCESS;
}

bool CFrame::setModalView(CView* view) {
    if (view && modalView_) return false;
    if (view == modalView_) return true;
    if (modalView_) {
        invalidRect(modalView_->getFrameRect());
        CView* old = modalView_;
        modalView_ = nullptr;
        modalMouseDown_ = false;
        old->removed();
    }
    modalView_ = view;
    if (view) {
        view->attached(this, this);
        view->invalid();
    }
    if (mouseKnown_) updateMouseOver(mouse_, 0);
    return true;
}

void CFrame::setFocusView(CView* view) {
    if (view == focusView_) return;
    CView* old = focusView_;
    focusView_ = view;
    if (old) old->looseFocus();
    if (view) {
        view->takeFocus();
        if (platformWindow_) platformWindow_->takeFocus();
    } else if (platformWindow_) {
        platformWindow_->releaseFocus();  // the host's shortcuts work again
    }
}

void CFrame::onViewRemoved(CView* view) {
    if (view == mouseOverView_) mouseOverView_ = nullptr;
    if (view == focusView_) {
        focusView_ = nullptr;  // a popup closed
        if (platformWindow_) platformWindow_->releaseFocus();
    }
    if (view == mouseDownView_) mouseDownView_ = nullptr;
}

bool CFrame::getCurrentMouseLocation(CPoint& where) const {
    where = mouse_;
    return mouseKnown_;
}

CView* CFrame::hoverTarget(const CPoint& where) const {
    if (!modalView_) return getViewAt(where);
    if (!modalView_->hitTest(where, 0)) return nullptr;
    if (auto* container = dynamic_cast<CViewContainer*>(modalView_)) {
        if (CView* inner = container->getViewAt(where)) return inner;
    }
    return modalView_;
}

void CFrame::updateMouseOver(const CPoint& where, long buttons) {
    CView* target = hoverTarget(where);
    if (target == mouseOverView_) return;
    if (CView* old = mouseOverView_) {
        mouseOverView_ = nullptr;
        CPoint p = toViewCoordinates(*old, where);
        old->onMouseExited(p, buttons);
    }
    mouseOverView_ = target;
    if (target) {
        CPoint p = toViewCoordinates(*target, where);
        target->onMouseEntered(p, buttons);
    }
}

CMouseEventResult CFrame::onMouseDown(CPoint& where, const long& buttons) {
    if (closed_) return kMouseEventNotHandled;
    Handling handling(*this);
    mouse_ = where;
    mouseKnown_ = true;
    // A click anywhere else ends keyboard editing (and may close the window).
    if (focusView_ && !focusView_->getFrameRect().pointInside(where)) setFocusView(nullptr);
    if (closed_) return kMouseEventNotHandled;
    CMouseEventResult result = kMouseEventNotHandled;
    if (modalView_) {
        if (!modalView_->hitTest(where, buttons)) return kMouseEventNotHandled;
        CPoint p = where;
        result = modalView_->onMouseDown(p, buttons);
        modalMouseDown_ = result == kMouseEventHandled && modalView_ != nullptr;
    } else {
        result = CViewContainer::onMouseDown(where, buttons);
    }
    pressSwallowed_ = result == kMouseDownEventHandledButDontNeedMovedOrUpEvents;
    return result;
}

CMouseEventResult CFrame::onMouseUp(CPoint& where, const long& buttons) {
    if (closed_) return kMouseEventNotHandled;
    Handling handling(*this);
    mouse_ = where;
    mouseKnown_ = true;
    CMouseEventResult result = kMouseEventNotHandled;
    pressSwallowed_ = false;
    if (modalMouseDown_) {
        modalMouseDown_ = false;
        CPoint p = where;
        if (modalView_) result = modalView_->onMouseUp(p, buttons);
    } else {
        result = CViewContainer::onMouseUp(where, buttons);
    }
    // Enter and exit events wait while a press is tracked.
    if (!closed_) updateMouseOver(where, buttons & ~kButtonMask);
    return result;
}

CMouseEventResult CFrame::onMouseMoved(CPoint& where, const long& buttons) {
    if (closed_) return kMouseEventNotHandled;
    Handling handling(*this);
    mouse_ = where;
    mouseKnown_ = true;
    if (modalMouseDown_) {
        CPoint p = where;
        return modalView_ ? modalView_->onMouseMoved(p, buttons) : kMouseEventNotHandled;
    }
    if (mouseDownView_) return CViewContainer::onMouseMoved(where, buttons);
    if (pressSwallowed_ && (buttons & kButtonMask)) return kMouseEventNotHandled;
    updateMouseOver(where, buttons);
    if (closed_) return kMouseEventNotHandled;
    if (modalView_) {
        if (!modalView_->hitTest(where, buttons)) return kMouseEventNotHandled;
        CPoint p = where;
        return modalView_->onMouseMoved(p, buttons);
    }
    return CViewContainer::onMouseMoved(where, buttons);
}

CMouseEventResult CFrame::onMouseExited(CPoint& where, const long& buttons) {
    if (closed_) return kMouseEventNotHandled;
    Handling handling(*this);
    mouseKnown_ = false;
    if (isCapturing() || !mouseOverView_) return kMouseEventHandled;
    CView* old = mouseOverView_;
    mouseOverView_ = nullptr;
    CPoint p = toViewCoordinates(*old, where);
    old->onMouseExited(p, buttons);
    return kMouseEventHandled;
}

bool CFrame::onWheel(const CPoint& where, const float& distance, const long& buttons) {
    if (closed_) return false;
    Handling handling(*this);
    mouse_ = where;
    mouseKnown_ = true;
    if (modalView_) return modalView_->hitTest(where, buttons) && modalView_->onWheel(where, distance, buttons);
    return CViewContainer::onWheel(where, distance, buttons);
}

long CFrame::onKeyDown(VstKeyCode& key) {
    if (closed_) return -1;
    Handling handling(*this);
    if (modalView_) return modalView_->onKeyDown(key);
    return focusView_ ? focusView_->onKeyDown(key) : -1;
}

long CFrame::onKeyUp(VstKeyCode& key) {
    if (closed_) return -1;
    Handling handling(*this);
    if (modalView_) return modalView_->onKeyUp(key);
    return focusView_ ? focusView_->onKeyUp(key) : -1;
}

void CFrame::platformMouseDown(CPoint where, long buttons) {
    Handling handling(*this);
    updateMouseOver(where, buttons);
    onMouseDown(where, buttons);
}

void CFrame::platformMouseMoved(CPoint where, long buttons) { onMouseMoved(where, buttons); }
void CFrame::platformMouseUp(CPoint where, long buttons) { onMouseUp(where, buttons); }

void CFrame::platformMouseExited() {
    CPoint where = mouse_;
    onMouseExited(where, 0);
}

void CFrame::platformWheel(CPoint where, float distance, long buttons) { onWheel(where, distance, buttons); }

void CFrame::platformFocusLost() {
    if (closed_) return;
    Handling handling(*this);
    setFocusView(nullptr);
}

bool CFrame::platformKeyDown(const VstKeyCode& key) {
    VstKeyCode copy = key;
    return onKeyDown(copy) > 0;
}

bool CFrame::platformKeyUp(const VstKeyCode& key) {
    VstKeyCode copy = key;
    return onKeyUp(copy) > 0;
}
