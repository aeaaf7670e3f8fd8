// TCanvas: draws onto a 32-bit pixel surface (the window's screen or a
// bitmap's pixels): rectangle copies, keyed (transparent) copies and fills,
// clipped to the surface and to an optional clip region. Half-open
// rectangles throughout. Drawing allocates nothing.
#pragma once

#include <cstdint>
#include <span>

#include "base/Geometry.h"
#include "gfx/Color.h"

namespace skr {

class TBitmap;
class TGraphic;

enum class TBrushStyle { bsSolid, bsClear };
enum class TCopyMode { cmSrcCopy, cmSrcAnd, cmSrcPaint, cmSrcInvert };

struct TBrush {
    TColor Color = clWhite;
    TBrushStyle Style = TBrushStyle::bsSolid;
};

class TCanvas {
public:
    static constexpr int kMaxClipRects = 64;

    TCanvas() = default;
    explicit TCanvas(TPixelView target) : target_(target) {}

    void SetTarget(TPixelView target) noexcept { target_ = target; }
    const TPixelView& Target() const noexcept { return target_; }
    // The bits per pixel of the display the canvas is shown on (32 unless
    // the shell says otherwise): pictures decode for it.
    void SetDisplayBitsPerPixel(int bits) noexcept { displayBits_ = bits; }
    int DisplayBitsPerPixel() const noexcept { return displayBits_; }

    TBrush Brush;
    TCopyMode CopyMode = TCopyMode::cmSrcCopy;

    // Restricts drawing to the union of the given rectangles (at most
    // kMaxClipRects; more collapse to their bounding box). An empty span
    // clips everything away; ResetClip removes the restriction.
    void SetClip(std::span<const TRect> rects) noexcept;
    void ResetClip() noexcept { clipped_ = false; clipCount_ = 0; }

    // Fills rect with Brush.Color; nothing when Brush.Style is bsClear.
    void FillRect(const TRect& rect) noexcept;
    // Copies src of bitmap onto dest (same size; dest decides) with CopyMode.
    void CopyRect(const TRect& dest, const TBitmap& bitmap, const TRect& src) noexcept;
    // Copies src of bitmap onto dest, leaving canvas pixels unchanged where
    // the bitmap's pixel equals keyPixel (0x00RRGGBB).
    void TransparentCopy(const TRect& dest, const TBitmap& bitmap, const TRect& src, uint32_t keyPixel) noexcept;
    // Copies raw pixels (a decoded image) onto dest, source at (0,0) of view.
    void CopyPixels(const TRect& dest, const TPixelView& source) noexcept;
    // Draws a graphic with its top-left corner at (x, y), at its own size.
    void Draw(int x, int y, TGraphic& graphic);

    // The bounding box of everything drawn since the last TakeChanged.
    TRect TakeChanged() noexcept {
        TRect r = changed_;
        changed_ = {};
        return r;
    }

private:
    template <class RowOp>
    void ForEachClipped(const TRect& dest, RowOp&& op) noexcept;

    TPixelView target_;
    int displayBits_ = 32;
    bool clipped_ = false;
    int clipCount_ = 0;
    TRect clip_[kMaxClipRects];
    TRect changed_;
};

}  // namespace skr
