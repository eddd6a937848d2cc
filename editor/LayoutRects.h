// The layout's boxes as the toolkit's rectangles and points.
#pragma once

#include "editor/EditorLayout.h"
#include "toolkit/CRect.h"

namespace layout {

inline CRect rectOf(const Box& box) { return CRect(box.left, box.top, box.right, box.bottom); }
inline CPoint cornerOf(const Box& box) { return CPoint(box.left, box.top); }

}  // namespace layout
