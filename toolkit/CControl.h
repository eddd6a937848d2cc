// A view with a value between a minimum and a maximum, a tag and a listener.
// Setting the value notifies nobody; a user gesture calls valueChanged(),
// which tells the listener. The value may be set from another thread than
// the one that draws (it is a single atomic float); the frame notices the
// change on its next idle and redraws the control.
#pragma once

#include <atomic>

#include "toolkit/CView.h"

class CControlListener;

class CControl : public CView {
public:
    CControl(const CRect& size, CControlListener* listener = nullptr, long tag = 0, CBitmap* background = nullptr);

    virtual void setValue(float value) { value_.store(value, std::memory_order_relaxed); }
    float getValue() const { return value_.load(std::memory_order_relaxed); }
    void setMin(float v) { min_ = v; }
    float getMin() const { return min_; }
    void setMax(float v) { max_ = v; }
    float getMax() const { return max_; }
    void setDefaultValue(float v) { default_ = v; }
    float getDefaultValue() const { return default_; }
    // Brings the value back into min..max.
    void bounceValue();

    long getTag() const { return tag_; }
    void setTag(long tag) { tag_ = tag; }
    CControlListener* getListener() const { return listener_; }
    void setListener(CControlListener* listener) { listener_ = listener; }

    // Tells the listener of a change made by the user.
    virtual void valueChanged();
    // A gesture on the control starts or ends: the editor informs the host.
    virtual void beginEdit();
    virtual void endEdit();
    bool isEditing() const { return editing_ > 0; }

    void setBackOffset(const CPoint& offset) { backOffset_ = offset; }
    const CPoint& getBackOffset() const { return backOffset_; }
    void setWheelInc(float inc) { wheelInc_ = inc; }
    float getWheelInc() const { return wheelInc_; }

    // Dirty while the value differs from the one last drawn.
    bool isDirty() const override;
    void setDirty(bool dirty = true) override;
    // Notes the value about to be drawn: a value set from another thread
    // while drawing then still counts as a change.
    void beforeDraw() override;
    bool isTypeOf(const char* name) const override;

protected:
    // Draws the background bitmap's part under this control (at the back
    // offset), so that the control needs nothing behind it.
    void drawBackground(CDrawContext* context) const;

    std::atomic<float> value_{0.0f};
    std::atomic<float> drawnValue_{0.0f};
    bool drawing_ = false;
    float min_ = 0.0f;
    float max_ = 1.0f;
    float default_ = 0.5f;
    float wheelInc_ = 0.1f;
    long tag_;
    CControlListener* listener_;
    CPoint backOffset_;
    int editing_ = 0;
};
