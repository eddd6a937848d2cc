// Mouse: X11 button numbers and state masks to CButton bits, and the
// double-click rule (X itself knows no double clicks).
#pragma once

#include <X11/X.h>

// The CButton bit of X button 1, 2 or 3; 0 for any other button.
long buttonBit(unsigned int xButton);
// Shift, Control and Alt of an event's state.
long modifierBits(unsigned int state);
// The buttons held during an event (before it, as X reports them) plus the
// modifiers.
long heldButtonBits(unsigned int state);

// A press is a double click when it follows the previous press of the same
// button within 400 ms and 4 pixels. A double click starts a new sequence,
// so that a third quick press is a single click again.
class DoubleClickDetector {
public:
    static constexpr unsigned long kMaxIntervalMs = 400;
    static constexpr int kMaxDistance = 4;

    bool press(unsigned int xButton, Time time, int x, int y);

private:
    bool havePrevious_ = false;
    unsigned int button_ = 0;
    Time time_ = 0;
    int x_ = 0;
    int y_ = 0;
};
