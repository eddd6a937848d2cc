#include "toolkit/platform/X11Mouse.h"

#include <cstdint>
#include <cstdlib>

#include "toolkit/CButtonState.h"

long buttonBit(unsigned int xButton) {
    switch (xButton) {
        case Button1: return kLButton;
        case Button2: return kMButton;
        case Button3: return kRButton;
        default: return 0;
    }
}

long modifierBits(unsigned int state) {
    long bits = 0;
    if (state & ShiftMask) bits |= kShift;
    if (state & ControlMask) bits |= kControl;
    if (state & Mod1Mask) bits |= kAlt;
    return bits;
}

long heldButtonBits(unsigned int state) {
    long bits = modifierBits(state);
    if (state & Button1Mask) bits |= kLButton;
    if (state & Button2Mask) bits |= kMButton;
    if (state & Button3Mask) bits |= kRButton;
    return bits;
}

bool DoubleClickDetector::press(unsigned int xButton, Time time, int x, int y) {
    // Server time is 32-bit milliseconds and wraps after 49 days.
    const uint32_t elapsed = static_cast<uint32_t>(time) - static_cast<uint32_t>(time_);
    const bool isDouble = havePrevious_ && xButton == button_ && elapsed <= kMaxIntervalMs &&
                          std::abs(x - x_) <= kMaxDistance && std::abs(y - y_) <= kMaxDistance;
    havePrevious_ = !isDouble;
    button_ = xButton;
    time_ = time;
    x_ = x;
    y_ = y;
    return isDouble;
}
