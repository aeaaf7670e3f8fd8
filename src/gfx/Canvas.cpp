#include "gfx/Canvas.h"

#include <algorithm>
#include <climits>
#include <cstdint>
#include <cstring>

#include "gfx/Bitmap.h"
#include "gfx/Graphic.h"

namespace skr {

namespace {

// r moved by (dx, dy), in 64 bits and clamped to the int range: source and
// destination may lie anywhere in that range, so their distance may not fit
// an int, while whatever lies beyond the range is off every surface.
TRect Moved(const TRect& r, int64_t dx, int64_t dy) noexcept {
    const auto clamp = [](int64_t v) { return static_cast<int>(std::clamp<int64_t>(v, INT_MIN, INT_MAX)); };
    return {clamp(r.left + dx), clamp(r.top + dy), clamp(r.right + dx), clamp(r.bottom + dy)};
}

}  // namespace

void TCanvas::SetClip(std::span<const TRect> rects) noexcept {
    clipped_ = true;
    clipCount_ = 0;
    if (rects.size() > static_cast<size_t>(kMaxClipRects)) {
        TRect box;
        for (const TRect& r : rects) box = box.Union(r);
        clip_[clipCount_++] = box;
        return;
    }
    for (const TRect& r : rects)
        if (!r.Empty()) clip_[clipCount_++] = r;
}

// Calls op(clippedDest) for each part of dest inside the surface and clip.
template <class RowOp>
void TCanvas::ForEachClipped(const TRect& dest, RowOp&& op) noexcept {
    const TRect onSurface = dest.Intersect(TRect{0, 0, target_.width, target_.height});
    if (onSurface.Empty() || !target_.pixels) return;
    if (!clipped_) {
        op(onSurface);
        changed_ = changed_.Union(onSurface);
        return;
    }
    for (int i = 0; i < clipCount_; ++i) {
        const TRect part = onSurface.Intersect(clip_[i]);
        if (part.Empty()) continue;
        op(part);
        changed_ = changed_.Union(part);
    }
}

void TCanvas::FillRect(const TRect& rect) noexcept {
    if (Brush.Style == TBrushStyle::bsClear) return;
    const uint32_t px = ColorToPixel(Brush.Color);
    ForEachClipped(rect, [&](const TRect& r) {
        for (int y = r.top; y < r.bottom; ++y) {
            uint32_t* row = target_.pixels + static_cast<ptrdiff_t>(y) * target_.stride;
            for (int x = r.left; x < r.right; ++x) row[x] = px;
        }
    });
}

void TCanvas::CopyRect(const TRect& dest, const TBitmap& bitmap, const TRect& src) noexcept {
    // Keep only the part of dest whose source lies inside the bitmap.
    const TRect inBitmap = src.Intersect(TRect{0, 0, bitmap.Width(), bitmap.Height()});
    const int64_t dx = int64_t{src.left} - dest.left, dy = int64_t{src.top} - dest.top;
    const TRect d = dest.Intersect(Moved(inBitmap, -dx, -dy));
    const TCopyMode mode = CopyMode;
    const ptrdiff_t inStride = bitmap.Width(), outStride = target_.stride;
    ForEachClipped(d, [&](const TRect& r) {
        const int n = r.right - r.left, rows = r.bottom - r.top;
        uint32_t* out = target_.pixels + r.top * outStride + r.left;
        // Inside d, the source's coordinates lie inside the bitmap.
        const uint32_t* in = bitmap.Scanline(static_cast<int>(r.top + dy)) + static_cast<int>(r.left + dx);
        auto eachRow = [&](auto&& copyRow) {
            for (int y = 0; y < rows; ++y, out += outStride, in += inStride) copyRow(out, in);
        };
        switch (mode) {
            case TCopyMode::cmSrcCopy:
                eachRow([n](uint32_t* o, const uint32_t* i) { std::memcpy(o, i, sizeof(uint32_t) * n); });
                break;
            case TCopyMode::cmSrcAnd:
                eachRow([n](uint32_t* o, const uint32_t* i) { for (int k = 0; k < n; ++k) o[k] &= i[k]; });
                break;
            case TCopyMode::cmSrcPaint:
                eachRow([n](uint32_t* o, const uint32_t* i) { for (int k = 0; k < n; ++k) o[k] |= i[k]; });
                break;
            case TCopyMode::cmSrcInvert:
                eachRow([n](uint32_t* o, const uint32_t* i) { for (int k = 0; k < n; ++k) o[k] ^= i[k]; });
                break;
        }
    });
}

void TCanvas::TransparentCopy(const TRect& dest, const TBitmap& bitmap, const TRect& src, uint32_t key) noexcept {
    const TRect inBitmap = src.Intersect(TRect{0, 0, bitmap.Width(), bitmap.Height()});
    const int64_t dx = int64_t{src.left} - dest.left, dy = int64_t{src.top} - dest.top;
    const TRect d = dest.Intersect(Moved(inBitmap, -dx, -dy));
    ForEachClipped(d, [&](const TRect& r) {
        const int n = r.right - r.left;
        for (int y = r.top; y < r.bottom; ++y) {
            uint32_t* out = target_.pixels + static_cast<ptrdiff_t>(y) * target_.stride + r.left;
            const uint32_t* in = bitmap.Scanline(static_cast<int>(y + dy)) + static_cast<int>(r.left + dx);
            for (int k = 0; k < n; ++k)
                if (in[k] != key) out[k] = in[k];
        }
    });
}

void TCanvas::CopyPixels(const TRect& dest, const TPixelView& source) noexcept {
    const TRect d = dest.Intersect(Bounds(dest.left, dest.top, source.width, source.height));
    ForEachClipped(d, [&](const TRect& r) {
        for (int y = r.top; y < r.bottom; ++y) {
            uint32_t* out = target_.pixels + static_cast<ptrdiff_t>(y) * target_.stride + r.left;
            const uint32_t* in = source.pixels + static_cast<ptrdiff_t>(y - dest.top) * source.stride + (r.left - dest.left);
            std::memcpy(out, in, sizeof(uint32_t) * (r.right - r.left));
        }
    });
}

void TCanvas::Draw(int x, int y, TGraphic& graphic) {
    if (graphic.Empty()) return;
    graphic.Draw(*this, Bounds(x, y, graphic.Width(), graphic.Height()));
}

}  // namespace skr
