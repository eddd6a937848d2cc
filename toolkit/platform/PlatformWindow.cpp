#include "toolkit/platform/PlatformWindow.h"

namespace {
PlatformWindowMaker windowMaker = nullptr;
}

void setPlatformWindowMaker(PlatformWindowMaker maker) { windowMaker = maker; }

std::unique_ptr<PlatformWindow> createPlatformWindow(void* parent, const CRect& size, PlatformWindowOwner& owner) {
    return windowMaker ? windowMaker(parent, size, owner) : createX11Window(parent, size, owner);
}
