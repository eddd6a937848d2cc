// A picture loaded by its numeric resource id from the images compiled into
// the library. Reference-counted: whoever loads one forgets it after handing
// it to the views, which remember it for as long as they draw it.
#pragma once

#include "toolkit/CBaseObject.h"
#include "toolkit/CRect.h"

typedef struct _cairo_surface cairo_surface_t;
class CDrawContext;

class CBitmap : public CBaseObject {
public:
    explicit CBitmap(int resourceId);
    // An image surface to draw from (takes its own reference to it).
    explicit CBitmap(cairo_surface_t* image);

    bool isLoaded() const { return image_ != nullptr; }
    int getResourceId() const { return resourceId_; }
    CCoord getWidth() const { return width_; }
    CCoord getHeight() const { return height_; }

    // Draws the part of the bitmap starting at `offset` into `dest` (same
    // size, no scaling), blended with `alpha`.
    void draw(CDrawContext* context, const CRect& dest, const CPoint& offset = CPoint(0, 0), float alpha = 1.0f) const;

    cairo_surface_t* getSurface() const { return image_; }

private:
    ~CBitmap() override;

    int resourceId_ = 0;
    cairo_surface_t* image_ = nullptr;
    CCoord width_ = 0;
    CCoord height_ = 0;
};
