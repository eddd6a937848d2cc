// Keyboard: X11 key symbols to the VST key codes the frame understands.
#pragma once

#include <optional>

#include "plugin/vst2.h"

// keysym: the symbol as typed (shift and lock already applied, as
// XLookupString gives it); state: the event's modifier mask. Nothing for
// keys the frame has no code for (dead keys, media keys, ...).
std::optional<VstKeyCode> translateX11Key(unsigned long keysym, unsigned int state);
