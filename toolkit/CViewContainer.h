// A view holding other views, in its own coordinates (its top-left corner is
// their origin). It owns them: removing a view forgets it unless asked not to.
// Mouse events go to the topmost child under the pointer that handles them.
#pragma once

#include <vector>

#include "toolkit/CView.h"

class CViewContainer : public CView {
public:
    explicit CViewContainer(const CRect& size);

    // Takes over the caller's reference.
    bool addView(CView* view);
    bool removeView(CView* view, bool forget = true);
    void removeAll(bool forget = true);
    bool isChild(const CView* view) const;
    int getNbViews() const { return static_cast<int>(children_.size()); }
    CView* getView(int index) const;

    void draw(CDrawContext* context) override;
    // Draws the background and every child that overlaps `area` (in this
    // container's coordinates).
    virtual void drawRect(CDrawContext* context, const CRect& area);

    CMouseEventResult onMouseDown(CPoint& where, const long& buttons) override;
    CMouseEventResult onMouseUp(CPoint& where, const long& buttons) override;
    CMouseEventResult onMouseMoved(CPoint& where, const long& buttons) override;
    bool onWheel(const CPoint& where, const float& distance, const long& buttons) override;

    // The topmost mouse-enabled view under `where`, searched into nested
    // containers; null when there is none.
    CView* getViewAt(const CPoint& where) const;

    bool isDirty() const override;
    bool isTypeOf(const char* name) const override;
    void attached(CViewContainer* parent, CFrame* frame) override;
    void removed() override;

protected:
    ~CViewContainer() override;

    std::vector<CView*> children_;
    CView* mouseDownView_ = nullptr;  // the child that receives moved and up
};
