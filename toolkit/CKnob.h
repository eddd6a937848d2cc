// A rotary knob: its part of the shared background picture, and a handle
// bitmap placed on a circle around the centre at the angle of the value.
//
// Angles are in radians, counter-clockwise from three o'clock: the minimum
// sits at the start angle (5π/4, lower left) and the value turns through
// the range angle (−3π/2, clockwise over the top) to the maximum at the
// lower right.
//
// The mouse works in the editor's knob mode. Linear: dragging up or right
// raises the value, a drag of kKnobRange pixels covering the whole range
// (zoom factor times as far with Shift held). Circular (and relative
// circular): the value follows the pointer's angle around the centre.
// Ctrl + left click restores the default value.
#pragma once

#include "toolkit/CControl.h"

class CKnob : public CControl {
public:
    // offset: where the knob's rectangle lies in the background picture.
    CKnob(const CRect& size, CControlListener* listener, long tag, CBitmap* background, CBitmap* handle,
          const CPoint& offset = CPoint(0, 0));

    // Pixels of drag that cover the whole range in linear mode.
    static constexpr CCoord kKnobRange = 200;

    void draw(CDrawContext* context) override;
    CMouseEventResult onMouseDown(CPoint& where, const long& buttons) override;
    CMouseEventResult onMouseUp(CPoint& where, const long& buttons) override;
    CMouseEventResult onMouseMoved(CPoint& where, const long& buttons) override;
    // distance × wheel increment; a tenth of it with Shift.
    bool onWheel(const CPoint& where, const float& distance, const long& buttons) override;
    // A gesture cut short by the knob leaving its frame still ends.
    void removed() override;
    bool isTypeOf(const char* name) const override;

    // Angles and inset that are not finite are ignored.
    void setStartAngle(float radians);
    float getStartAngle() const { return startAngle_; }
    void setRangeAngle(float radians);
    float getRangeAngle() const { return rangeAngle_; }
    // Gap between the knob's edge and the handle.
    void setInsetValue(CCoord inset);
    CCoord getInsetValue() const { return inset_; }
    // How many times longer a Shift drag is than a plain one.
    void setZoomFactor(float factor) { zoomFactor_ = factor > 0 ? factor : 1.0f; }
    float getZoomFactor() const { return zoomFactor_; }
    CBitmap* getHandleBitmap() const { return handle_; }

protected:
    ~CKnob() override;

    // Where the handle's centre goes for a value, in view coordinates.
    CPoint handleCentre(float value) const;
    // The value at the pointer's angle; between the two ends, the nearer end.
    float valueAtAngleOf(const CPoint& where) const;
    // value, or the nearest of min..max (NaN counts as min).
    float bounded(float value) const;
    long knobMode() const;
    // Value per pixel of linear drag with these buttons held.
    float linearRate(long buttons) const;
    void trackLinear(const CPoint& where, long buttons);
    void trackCircular(const CPoint& where);
    // Sets the bounded value and reports it, if it changed.
    void change(float value);

    CBitmap* handle_;
    float startAngle_;
    float rangeAngle_;
    CCoord inset_ = 3;
    float zoomFactor_ = 1.5f;

    // The gesture in progress.
    bool tracking_ = false;
    bool linear_ = false;
    CPoint anchor_;            // linear: where the value was anchorValue_
    float anchorValue_ = 0;    // linear: unbounded, so overshooting an end must be undone
    float pixelValue_ = 0;     // linear: value per pixel of drag
    float lastAngleValue_ = 0; // circular: the pointer's last value within reach
};
