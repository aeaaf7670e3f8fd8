#include "gfx/Region.h"

namespace skr {
namespace {

// Appends the parts of a that lie outside b (up to four rectangles).
void Cut(const TRect& a, const TRect& b, std::vector<TRect>& out) {
    const TRect i = a.Intersect(b);
    if (i.Empty()) {
        out.push_back(a);
        return;
    }
    if (a.top < i.top) out.push_back({a.left, a.top, a.right, i.top});
    if (i.bottom < a.bottom) out.push_back({a.left, i.bottom, a.right, a.bottom});
    if (a.left < i.left) out.push_back({a.left, i.top, i.left, i.bottom});
    if (i.right < a.right) out.push_back({i.right, i.top, a.right, i.bottom});
}

}  // namespace

TRect TRegion::Bounds() const noexcept {
    TRect b;
    for (const TRect& r : rects_) b = b.Union(r);
    return b;
}

void TRegion::Add(const TRect& r) {
    if (r.Empty()) return;
    std::vector<TRect> pieces{r};
    for (const TRect& have : rects_) {
        std::vector<TRect> next;
        for (const TRect& p : pieces) Cut(p, have, next);
        pieces.swap(next);
        if (pieces.empty()) return;
    }
    rects_.insert(rects_.end(), pieces.begin(), pieces.end());
}

void TRegion::Subtract(const TRect& r) {
    if (r.Empty()) return;
    std::vector<TRect> next;
    for (const TRect& have : rects_) Cut(have, r, next);
    rects_.swap(next);
}

bool TRegion::Intersects(const TRect& r) const noexcept {
    for (const TRect& have : rects_)
        if (have.Intersects(r)) return true;
    return false;
}

void TRegion::IntersectWith(const TRect& r) {
    std::vector<TRect> next;
    for (const TRect& have : rects_)
        if (TRect i = have.Intersect(r); !i.Empty()) next.push_back(i);
    rects_.swap(next);
}

}  // namespace skr
