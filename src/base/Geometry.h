// Points and half-open rectangles in pixels (right and bottom excluded),
// and a view of 32-bit pixels: the shapes every room draws with, the
// platform's seam included.
#pragma once

#include <algorithm>
#include <climits>
#include <cstdint>

namespace skr {

struct TPoint {
    int x = 0, y = 0;
};

struct TRect {
    int left = 0, top = 0, right = 0, bottom = 0;

    int Width() const noexcept { return right - left; }
    int Height() const noexcept { return bottom - top; }
    bool Empty() const noexcept { return right <= left || bottom <= top; }
    bool Contains(int x, int y) const noexcept { return x >= left && x < right && y >= top && y < bottom; }
    bool Contains(const TRect& r) const noexcept {
        return r.Empty() || (r.left >= left && r.top >= top && r.right <= right && r.bottom <= bottom);
    }
    bool Intersects(const TRect& r) const noexcept { return !Intersect(r).Empty(); }
    TRect Intersect(const TRect& r) const noexcept {
        return {std::max(left, r.left), std::max(top, r.top), std::min(right, r.right), std::min(bottom, r.bottom)};
    }
    // Smallest rectangle holding both; an empty side is ignored.
    TRect Union(const TRect& r) const noexcept {
        if (r.Empty()) return *this;
        if (Empty()) return r;
        return {std::min(left, r.left), std::min(top, r.top), std::max(right, r.right), std::max(bottom, r.bottom)};
    }
    bool operator==(const TRect&) const = default;
};

// The rectangle of that size with its top-left corner at (left, top). Its
// right and bottom edges stop at the ends of the int range: a control or a
// frame may be placed anywhere in it, and what lies beyond is off every
// surface anyway.
inline TRect Bounds(int left, int top, int width, int height) noexcept {
    const auto edge = [](int from, int size) {
        const long long e = static_cast<long long>(from) + size;
        return e > INT_MAX ? INT_MAX : e < INT_MIN ? INT_MIN : static_cast<int>(e);
    };
    return {left, top, edge(left, width), edge(top, height)};
}

// A view of pixels someone else owns: 0x00RRGGBB, rows top-down.
struct TPixelView {
    uint32_t* pixels = nullptr;
    int width = 0;
    int height = 0;
    int stride = 0;  // in pixels
};

}  // namespace skr
