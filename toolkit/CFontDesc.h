// A font by family name, size in points (pixels at the toolkit's 72 dpi)
// and style bits.
#pragma once

#include <string>

#include "toolkit/CRect.h"

enum CTxtFace { kNormalFace = 0, kBoldFace = 1 << 1, kItalicFace = 1 << 2 };

struct CFontDesc {
    std::string name = "Arial";
    CCoord size = 12;
    int style = kNormalFace;
};
