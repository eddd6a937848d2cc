// Mouse buttons and modifiers that travel with every mouse event, and the
// answers a view gives to a mouse event.
#pragma once

enum CButton : long {
    kLButton = 1 << 0,
    kMButton = 1 << 1,
    kRButton = 1 << 2,
    kShift = 1 << 3,
    kControl = 1 << 4,
    kAlt = 1 << 5,
    kDoubleClick = 1 << 6,
};
inline constexpr long kButtonMask = kLButton | kMButton | kRButton;
inline constexpr long kModifierMask = kShift | kControl | kAlt;

enum CMouseEventResult {
    kMouseEventNotHandled = 0,
    kMouseEventHandled,
    // Handled, and the view wants no moved or up events for this press.
    kMouseDownEventHandledButDontNeedMovedOrUpEvents,
};
