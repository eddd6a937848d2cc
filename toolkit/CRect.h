// Points and rectangles in window pixels. Coordinates are doubles so that a
// centre such as 245.5 can be compared exactly.
#pragma once

using CCoord = double;

struct CPoint {
    CCoord x = 0;
    CCoord y = 0;

    constexpr CPoint() = default;
    constexpr CPoint(CCoord x, CCoord y) : x(x), y(y) {}
    constexpr CPoint& offset(CCoord dx, CCoord dy) {
        x += dx;
        y += dy;
        return *this;
    }
    constexpr bool operator==(const CPoint&) const = default;
};

struct CRect {
    CCoord left = 0;
    CCoord top = 0;
    CCoord right = 0;
    CCoord bottom = 0;

    constexpr CRect() = default;
    constexpr CRect(CCoord left, CCoord top, CCoord right, CCoord bottom)
        : left(left), top(top), right(right), bottom(bottom) {}
    constexpr CRect(const CPoint& origin, const CPoint& size)
        : left(origin.x), top(origin.y), right(origin.x + size.x), bottom(origin.y + size.y) {}

    constexpr CCoord width() const { return right - left; }
    constexpr CCoord height() const { return bottom - top; }
    constexpr CPoint getTopLeft() const { return {left, top}; }
    constexpr bool isEmpty() const { return right <= left || bottom <= top; }

    // Left and top edges inside, right and bottom edges outside.
    constexpr bool pointInside(const CPoint& p) const {
        return p.x >= left && p.x < right && p.y >= top && p.y < bottom;
    }
    constexpr bool rectOverlap(const CRect& r) const {
        return left < r.right && r.left < right && top < r.bottom && r.top < bottom;
    }
    constexpr CRect& offset(CCoord dx, CCoord dy) {
        left += dx;
        right += dx;
        top += dy;
        bottom += dy;
        return *this;
    }
    constexpr CRect& moveTo(CCoord x, CCoord y) { return offset(x - left, y - top); }
    constexpr CRect& inset(CCoord dx, CCoord dy) {
        left += dx;
        right -= dx;
        top += dy;
        bottom -= dy;
        return *this;
    }
    // The smallest rectangle holding both; an empty one adds nothing.
    constexpr CRect& unite(const CRect& r) {
        if (r.isEmpty()) return *this;
        if (isEmpty()) return *this = r;
        if (r.left < left) left = r.left;
        if (r.top < top) top = r.top;
        if (r.right > right) right = r.right;
        if (r.bottom > bottom) bottom = r.bottom;
        return *this;
    }
    // Cuts this rectangle down to its part inside r (empty when none).
    constexpr CRect& bound(const CRect& r) {
        if (left < r.left) left = r.left;
        if (top < r.top) top = r.top;
        if (right > r.right) right = r.right;
        if (bottom > r.bottom) bottom = r.bottom;
        if (right < left) right = left;
        if (bottom < top) bottom = top;
        return *this;
    }
    constexpr bool operator==(const CRect&) const = default;
};
