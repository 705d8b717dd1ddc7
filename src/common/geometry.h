#pragma once

#include <algorithm>

#include "common/checked.h"

namespace lightmatrix {

// A point in pixels.
struct PixelPoint {
    Int32 x = 0;
    Int32 y = 0;
    bool operator==(const PixelPoint&) const = default;
};

// A width and a height in pixels.
struct PixelSize {
    Int32 width = 0;
    Int32 height = 0;
    bool operator==(const PixelSize&) const = default;
};

// A rectangle of pixels, as [left, right) x [top, bottom).
struct PixelRect {
    Int32 left = 0;
    Int32 top = 0;
    Int32 right = 0;
    Int32 bottom = 0;

    Int32 width() const { return right - left; }
    Int32 height() const { return bottom - top; }
    bool empty() const { return right <= left || bottom <= top; }
    bool contains(Int32 x, Int32 y) const {
        return x >= left && x < right && y >= top && y < bottom;
    }
    bool contains(PixelPoint p) const { return contains(p.x, p.y); }
    PixelRect intersect(const PixelRect& o) const {
        return {std::max(left, o.left), std::max(top, o.top), std::min(right, o.right),
                std::min(bottom, o.bottom)};
    }
    // The smallest rectangle around both.
    PixelRect around(const PixelRect& o) const {
        return {std::min(left, o.left), std::min(top, o.top), std::max(right, o.right),
                std::max(bottom, o.bottom)};
    }
    bool operator==(const PixelRect&) const = default;
};

// A rectangle in twips (1/1440 of a logical inch), as [left, right) x [top, bottom).
struct TwipsRect {
    double left = 0;
    double top = 0;
    double right = 0;
    double bottom = 0;

    double width() const { return right - left; }
    double height() const { return bottom - top; }
    bool operator==(const TwipsRect&) const = default;
};

}  // namespace lightmatrix
