// Controls whose bitmap holds several frames of equal height stacked
// vertically; frame k starts k frame heights below the top.
#pragma once

#include "toolkit/CRect.h"

class IMultiBitmapControl {
public:
    virtual ~IMultiBitmapControl() = default;
    void setHeightOfOneImage(CCoord height) { heightOfOneImage = height; }
    CCoord getHeightOfOneImage() const { return heightOfOneImage; }
    // The source offset of frame `index` below `offset`.
    CPoint frameOffset(const CPoint& offset, int index) const {
        return CPoint(offset.x, offset.y + index * heightOfOneImage);
    }

protected:
    CCoord heightOfOneImage = 0;
};
