#include "toolkit/CKnob.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <numbers>

#include "toolkit/CBitmap.h"
#include "toolkit/CFrame.h"
#include "toolkit/VSTGUIEditorInterface.h"

namespace {

constexpr double kTwoPi = 2 * std::numbers::pi;

}  // namespace

CKnob::CKnob(const CRect& size, CControlListener* listener, long tag, CBitmap* background, CBitmap* handle,
             const CPoint& offset)
    : CControl(size, listener, tag, background),
      handle_(handle),
      startAngle_(static_cast<float>(5 * std::numbers::pi / 4)),
      rangeAngle_(static_cast<float>(-3 * std::numbers::pi / 2)) {
    if (handle_) handle_->remember();
    setBackOffset(offset);
}

CKnob::~CKnob() {
    if (handle_) handle_->forget();
}

void CKnob::setStartAngle(float radians) {
    if (!std::isfinite(radians)) return;
    startAngle_ = radians;
    setDirty();
}

void CKnob::setRangeAngle(float radians) {
    if (!std::isfinite(radians)) return;
    rangeAngle_ = radians;
    setDirty();
}

void CKnob::setInsetValue(CCoord inset) {
    if (!std::isfinite(inset)) return;
    inset_ = inset;
    setDirty();
}

float CKnob::bounded(float value) const {
    if (value > getMax()) return getMax();
    if (!(value >= getMin())) return getMin();
    return value;
}

CPoint CKnob::handleCentre(float value) const {
    const float span = getMax() - getMin();
    float fraction = span > 0 ? (value - getMin()) / span : 0.0f;
    if (!(fraction >= 0)) fraction = 0;
    if (fraction > 1) fraction = 1;
    const double angle = startAngle_ + fraction * rangeAngle_;
    const CCoord handleSize = handle_ ? std::max(handle_->getWidth(), handle_->getHeight()) : 0;
    const CCoord radius = size_.width() / 2 - inset_ - handleSize / 2;
    const CPoint centre((size_.left + size_.right) / 2, (size_.top + size_.bottom) / 2);
    // Angles count upwards, pixels downwards.
    return CPoint(centre.x + radius * std::cos(angle), centre.y - radius * std::sin(angle));
}

float CKnob::valueAtAngleOf(const CPoint& where) const {
    const double range = std::fabs(rangeAngle_);
    if (range == 0) return getMin();
    const CPoint centre((size_.left + size_.right) / 2, (size_.top + size_.bottom) / 2);
    const double pointer = std::atan2(centre.y - where.y, where.x - centre.x);
    // How far the pointer lies from the start, turning the way the range turns.
    double turned = std::fmod((pointer - startAngle_) * (rangeAngle_ < 0 ? -1 : 1), kTwoPi);
    if (turned < 0) turned += kTwoPi;
    double fraction = turned / range;
    if (turned > range) fraction = turned < range + (kTwoPi - range) / 2 ? 1 : 0;
    return static_cast<float>(getMin() + fraction * (getMax() - getMin()));
}

void CKnob::draw(CDrawContext* context) {
    const float value = getValue();
    drawBackground(context);
    if (handle_) {
        const CPoint centre = handleCentre(value);
        // On whole pixels, so that the dot stays sharp.
        const CCoord left = std::floor(centre.x - handle_->getWidth() / 2 + 0.5);
        const CCoord top = std::floor(centre.y - handle_->getHeight() / 2 + 0.5);
        handle_->draw(context, CRect(left, top, left + handle_->getWidth(), top + handle_->getHeight()));
    }
    setDirty(false);
}

long CKnob::knobMode() const {
    return frame_ && frame_->getEditor() ? frame_->getEditor()->getKnobMode() : long{kCircularMode};
}

void CKnob::change(float value) {
    const float before = getValue();
    setValue(bounded(value));
    if (getValue() == before) return;
    invalid();
    valueChanged();
}

CMouseEventResult CKnob::onMouseDown(CPoint& where, const long& buttons) {
    if (!(buttons & kLButton)) return kMouseEventNotHandled;
    if ((buttons & (kButtonMask | kModifierMask)) == (kLButton | kControl)) {
        beginEdit();
        setValue(bounded(getDefaultValue()));
        invalid();
        valueChanged();
        endEdit();
        return kMouseDownEventHandledButDontNeedMovedOrUpEvents;
    }
    beginEdit();
    tracking_ = true;
    linear_ = knobMode() == kLinearMode;
    if (linear_) {
        anchor_ = where;
        anchorValue_ = bounded(getValue());
        pixelValue_ = linearRate(buttons);
    } else {
        lastAngleValue_ = valueAtAngleOf(where);
    }
    return kMouseEventHandled;
}

CMouseEventResult CKnob::onMouseMoved(CPoint& where, const long& buttons) {
    if (!tracking_) return kMouseEventNotHandled;
    if (buttons & kLButton) {
        if (linear_)
            trackLinear(where, buttons);
        else
            trackCircular(where);
    }
    return kMouseEventHandled;
}

CMouseEventResult CKnob::onMouseUp(CPoint&, const long&) {
    if (!tracking_) return kMouseEventNotHandled;
    tracking_ = false;
    endEdit();
    return kMouseEventHandled;
}

float CKnob::linearRate(long buttons) const {
    const CCoord pixels = (buttons & kShift) ? kKnobRange * zoomFactor_ : kKnobRange;
    return static_cast<float>((getMax() - getMin()) / pixels);
}

void CKnob::trackLinear(const CPoint& where, long buttons) {
    const auto dragged = [&] { return (anchor_.y - where.y) + (where.x - anchor_.x); };
    const float perPixel = linearRate(buttons);
    if (perPixel != pixelValue_) {
        // Shift pressed or let go: go on from here at the new rate, without a jump.
        anchorValue_ += static_cast<float>(dragged() * pixelValue_);
        anchor_ = where;
        pixelValue_ = perPixel;
    }
    change(anchorValue_ + static_cast<float>(dragged() * pixelValue_));
}

void CKnob::trackCircular(const CPoint& where) {
    float value = valueAtAngleOf(where);
    // A jump of more than half the range means the pointer swept past an
    // end through the gap between them: stay at that end.
    const float half = (getMax() - getMin()) / 2;
    if (lastAngleValue_ - value > half)
        value = getMax();
    else if (value - lastAngleValue_ > half)
        value = getMin();
    else
        lastAngleValue_ = value;
    change(value);
}

bool CKnob::onWheel(const CPoint&, const float& distance, const long& buttons) {
    if (!std::isfinite(distance)) return false;
    const float step = (buttons & kShift) ? wheelInc_ * 0.1f : wheelInc_;
    const float value = bounded(bounded(getValue()) + distance * step);
    if (value != getValue()) {
        beginEdit();
        change(value);
        endEdit();
    }
    return true;
}

void CKnob::removed() {
    if (tracking_) {
        tracking_ = false;
        endEdit();
    }
    CControl::removed();
}

bool CKnob::isTypeOf(const char* name) const {
    return (name && std::strcmp(name, "CKnob") == 0) || CControl::isTypeOf(name);
}
