// Bitmaps made in the test, so that the frame drawn can be told apart by
// colour: frame k of a stacked bitmap is filled with colours[k].
#pragma once

#include <vector>

#include "toolkit/CBitmap.h"
#include "toolkit/CColor.h"

namespace offscreen {

// width × (frameHeight · colours.size()), one solid colour per frame.
CBitmap* makeStackedBitmap(int width, int frameHeight, const std::vector<CColor>& colours);

inline constexpr CColor kRed{255, 0, 0, 255};
inline constexpr CColor kGreen{0, 255, 0, 255};
inline constexpr CColor kBlue{0, 0, 255, 255};
inline constexpr CColor kYellow{255, 255, 0, 255};
inline constexpr CColor kCyan{0, 255, 255, 255};
inline constexpr CColor kGrey{128, 128, 128, 255};

}  // namespace offscreen
