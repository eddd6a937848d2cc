// The root view of a window. It owns every view added to it, draws them into
// its own image, and on idle redraws only what changed: the views that are
// dirty and the areas that were invalidated. With a platform window (an X11
// child of the host's window) it shows that image on screen and takes its
// events from there; without one it works the same off-screen, driven by the
// same event calls, so it can be tested and saved as a PNG with no display.
//
// A modal view lies over everything: while it is set, mouse-down events go
// only to it and only when they fall inside it, and keys go to it.
//
// A handler may close the frame (a host closing the window from inside a
// request that a click made). The window goes at once; the frame and its
// views last until the event's handling returns, and the rest of that event
// goes to no other view.
#pragma once

#include <memory>
#include <vector>

#include "toolkit/CViewContainer.h"
#include "toolkit/platform/PlatformWindow.h"

class VSTGUIEditorInterface;

class CFrame : public CViewContainer, private PlatformWindowOwner {
public:
    // systemWindow: the host's parent window, or null for an off-screen frame.
    CFrame(const CRect& size, void* systemWindow, VSTGUIEditorInterface* editor);

    // Ends keyboard editing as a click elsewhere does, destroys the window
    // and releases the creator's reference; the views go with the frame (at
    // once, or when the event being handled returns). Closing again, while
    // it lasts, does nothing.
    void close();

    VSTGUIEditorInterface* getEditor() const { return editor_; }
    unsigned long getPlatformWindowId() const;
    bool hasPlatformWindow() const { return platformWindow_ != nullptr; }

    // Handles pending window events, then redraws what changed.
    void idle();
    // Redraws every dirty view and invalidated area now.
    void updateDirtyViews();
    void invalidRect(const CRect& area);
    // Dirty: the whole window is redrawn on the next idle.
    void setDirty(bool dirty = true) override;

    // The frame keeps the caller's reference while the view is modal and
    // hands it back when the modal view is cleared (the view is then
    // removed, not destroyed). False when another view is already modal.
    bool setModalView(CView* view);
    CView* getModalView() const { return modalView_; }

    // The view that receives keys; the previous one loses focus. The window
    // holds the keyboard focus while there is a focus view, and loses the
    // view when it loses the focus (the host hid the window, say).
    void setFocusView(CView* view);
    CView* getFocusView() const { return focusView_; }

    bool getCurrentMouseLocation(CPoint& where) const;

    // Events, in frame coordinates; the platform window calls these too.
    CMouseEventResult onMouseDown(CPoint& where, const long& buttons) override;
    CMouseEventResult onMouseUp(CPoint& where, const long& buttons) override;
    CMouseEventResult onMouseMoved(CPoint& where, const long& buttons) override;
    CMouseEventResult onMouseExited(CPoint& where, const long& buttons) override;
    bool onWheel(const CPoint& where, const float& distance, const long& buttons) override;
    long onKeyDown(VstKeyCode& key) override;
    long onKeyUp(VstKeyCode& key) override;

    // The frame's picture as last drawn (ARGB32), and the same as a PNG file.
    cairo_surface_t* getImage() const { return image_; }
    bool saveImage(const char* pngPath);

    bool isTypeOf(const char* name) const override;

    // Called by a view that leaves the frame, so no reference to it stays.
    void onViewRemoved(CView* view);

private:
    ~CFrame() override;

    void redraw(const CRect& area);
    void collectDirty(CView* view, std::vector<CRect>& areas);
    CView* hoverTarget(const CPoint& where) const;
    void updateMouseOver(const CPoint& where, long buttons);
    bool isCapturing() const { return modalMouseDown_ || mouseDownView_ != nullptr; }
    void releaseGoneWindow();
    class Handling;

    // PlatformWindowOwner
    void platformMouseDown(CPoint where, long buttons) override;
    void platformMouseMoved(CPoint where, long buttons) override;
    void platformMouseUp(CPoint where, long buttons) override;
    void platformMouseExited() override;
    void platformWheel(CPoint where, float distance, long buttons) override;
    bool platformKeyDown(const VstKeyCode& key) override;
    bool platformKeyUp(const VstKeyCode& key) override;
    cairo_surface_t* platformImage() override { return image_; }
    void platformWindowGone() override { windowGone_ = true; }
    void platformFocusLost() override;

    VSTGUIEditorInterface* editor_;
    cairo_surface_t* image_ = nullptr;
    std::unique_ptr<PlatformWindow> platformWindow_;
    bool windowGone_ = false;
    bool closed_ = false;
    std::vector<CRect> invalidAreas_;
    CView* modalView_ = nullptr;
    bool modalMouseDown_ = false;
    // A press answered with "no further events": its moves and release go nowhere.
    bool pressSwallowed_ = false;
    CView* focusView_ = nullptr;
    CView* mouseOverView_ = nullptr;
    CPoint mouse_;
    bool mouseKnown_ = false;
};
