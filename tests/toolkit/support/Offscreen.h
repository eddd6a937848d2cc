// Driving a frame with no window: mouse gestures as a real pointer makes
// them (move there, press, release), and reading back the pixels drawn.
#pragma once

#include <vector>

#include "toolkit/CColor.h"
#include "toolkit/CControl.h"
#include "toolkit/CControlListener.h"
#include "toolkit/CFrame.h"

namespace offscreen {

// A frame without a window; closed (and destroyed) with the holder.
class Frame {
public:
    explicit Frame(const CRect& size = CRect(0, 0, 320, 257), VSTGUIEditorInterface* editor = nullptr)
        : frame_(new CFrame(size, nullptr, editor)) {}
    ~Frame() { frame_->close(); }
    Frame(const Frame&) = delete;
    Frame& operator=(const Frame&) = delete;
    CFrame* operator->() const { return frame_; }
    CFrame* get() const { return frame_; }

    // Adds the view (taking the caller's reference) and returns it.
    template <class View>
    View* add(View* view) {
        frame_->addView(view);
        return view;
    }

    CMouseEventResult moveTo(CCoord x, CCoord y, long buttons = 0) {
        CPoint p(x, y);
        return frame_->onMouseMoved(p, buttons);
    }
    CMouseEventResult down(CCoord x, CCoord y, long buttons = kLButton) {
        CPoint p(x, y);
        return frame_->onMouseDown(p, buttons);
    }
    CMouseEventResult up(CCoord x, CCoord y, long buttons = kLButton) {
        CPoint p(x, y);
        return frame_->onMouseUp(p, buttons);
    }
    // Move, press and release at one point; the answer to the press.
    CMouseEventResult click(CCoord x, CCoord y, long buttons = kLButton) {
        moveTo(x, y);
        const CMouseEventResult result = down(x, y, buttons);
        up(x, y, buttons);
        return result;
    }
    long key(unsigned char virt, int character = 0, unsigned char modifier = 0) {
        VstKeyCode code{character, virt, modifier};
        const long down = frame_->onKeyDown(code);
        frame_->onKeyUp(code);
        return down;
    }
    long type(const char* text) {
        long handled = 1;
        for (const char* c = text; *c; ++c) handled = key(0, static_cast<unsigned char>(*c)) > 0 ? handled : -1;
        return handled;
    }

    // Redraws what changed and reads one pixel of the frame's image.
    CColor pixel(int x, int y) const;

private:
    CFrame* frame_;
};

// Counts the presses that reach it; placed under other views to see whether
// they pass a click on.
class ClickCatcher : public CControl {
public:
    explicit ClickCatcher(const CRect& r) : CControl(r) {}
    CMouseEventResult onMouseDown(CPoint&, const long&) override {
        ++presses;
        return kMouseDownEventHandledButDontNeedMovedOrUpEvents;
    }
    int presses = 0;
};

// Records every notification with the value at that moment.
class RecordingListener : public CControlListener {
public:
    struct Event {
        long tag;
        float value;
    };
    void valueChanged(CControl* control) override { events.push_back({control->getTag(), control->getValue()}); }
    void controlBeginEdit(CControl* control) override { begins.push_back(control->getTag()); }
    void controlEndEdit(CControl* control) override { ends.push_back(control->getTag()); }
    std::vector<float> values() const {
        std::vector<float> v;
        for (const Event& e : events) v.push_back(e.value);
        return v;
    }
    std::vector<Event> events;
    std::vector<long> begins;
    std::vector<long> ends;
};

}  // namespace offscreen
