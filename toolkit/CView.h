// The base of everything in a window: a rectangle in its container's
// coordinates that draws itself and may answer mouse, wheel and key events.
// A view that changed marks itself dirty; the frame redraws it on its next
// idle, never at once.
#pragma once

#include "plugin/vst2.h"
#include "toolkit/CBaseObject.h"
#include "toolkit/CButtonState.h"
#include "toolkit/CRect.h"

class CBitmap;
class CDrawContext;
class CFrame;
class CViewContainer;

class CView : public CBaseObject {
public:
    explicit CView(const CRect& size);

    virtual void draw(CDrawContext* context);  // the background bitmap, if any
    // Called by the frame just before draw().
    virtual void beforeDraw() {}

    virtual CMouseEventResult onMouseDown(CPoint& where, const long& buttons);
    virtual CMouseEventResult onMouseUp(CPoint& where, const long& buttons);
    virtual CMouseEventResult onMouseMoved(CPoint& where, const long& buttons);
    virtual CMouseEventResult onMouseEntered(CPoint& where, const long& buttons);
    virtual CMouseEventResult onMouseExited(CPoint& where, const long& buttons);
    virtual bool onWheel(const CPoint& where, const float& distance, const long& buttons);
    // 1 handled, -1 not handled.
    virtual long onKeyDown(VstKeyCode& key);
    virtual long onKeyUp(VstKeyCode& key);

    // Keyboard focus, given by the frame (see CFrame::setFocusView).
    virtual void takeFocus() {}
    virtual void looseFocus() {}

    virtual bool isDirty() const { return dirty_; }
    virtual void setDirty(bool dirty = true) { dirty_ = dirty; }
    // Asks the frame to redraw this view's rectangle on its next idle.
    void invalid();

    // Type query by class name; each class answers to its own name and its bases'.
    virtual bool isTypeOf(const char* name) const;
    // A copy with its own references, or null when the class is not copyable.
    virtual CView* newCopy() const { return nullptr; }

    const CRect& getViewSize() const { return size_; }
    virtual void setViewSize(const CRect& size, bool invalidate = true);
    virtual bool hitTest(const CPoint& where, const long& buttons) const;
    bool getMouseEnabled() const { return mouseEnabled_; }
    void setMouseEnabled(bool enabled) { mouseEnabled_ = enabled; }

    void setBackground(CBitmap* background);  // remembers it
    CBitmap* getBackground() const { return background_; }

    CFrame* getFrame() const { return frame_; }
    CViewContainer* getParentView() const { return parent_; }
    // Called by the container that adds or removes this view.
    virtual void attached(CViewContainer* parent, CFrame* frame);
    virtual void removed();
    bool isAttached() const { return frame_ != nullptr; }
    // This view's rectangle in frame coordinates.
    CRect getFrameRect() const;

protected:
    ~CView() override;

    CRect size_;
    bool dirty_ = false;
    bool mouseEnabled_ = true;
    CBitmap* background_ = nullptr;
    CFrame* frame_ = nullptr;
    CViewContainer* parent_ = nullptr;
};
