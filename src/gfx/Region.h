// An area as a list of disjoint rectangles: the invalid area a window
// repaints, with opaque pictures cut out of it.
#pragma once

#include <span>
#include <vector>

#include "base/Geometry.h"

namespace skr {

class TRegion {
public:
    bool Empty() const noexcept { return rects_.empty(); }
    std::span<const TRect> Rects() const noexcept { return rects_; }
    TRect Bounds() const noexcept;
    void Clear() noexcept { rects_.clear(); }
    // Adds r (the parts of it not yet covered).
    void Add(const TRect& r);
    // Removes r.
    void Subtract(const TRect& r);
    bool Intersects(const TRect& r) const noexcept;
    // Keeps only the part inside r.
    void IntersectWith(const TRect& r);

private:
    std::vector<TRect> rects_;
};

}  // namespace skr
