// TBitmapList: a non-visual component holding one bitmap, the strip, made of
// equal-width frames side by side, and drawing one frame at a time straight
// out of the strip (no per-frame images, no scaling, no allocation).
//
// Published, in this order after Name and Tag: Bitmap, Height (read-only),
// NumImages, Transparent, Width, OnChange. Any change of the strip's image
// collapses it to one frame of full width and calls OnChange; NumImages and
// Width then divide it, ignoring values that do not fit.
#pragma once

#include <cstdint>
#include <memory>

#include "core/Component.h"
#include "core/Events.h"
#include "gfx/Bitmap.h"
#include "gfx/Canvas.h"

namespace skr {

class TBitmapList : public TComponent {
public:
    SKR_CLASS_INFO()

    explicit TBitmapList(TComponent* owner);
    ~TBitmapList() override;

    // The strip bitmap itself (created once, never replaced).
    TBitmap* Bitmap() const noexcept { return bitmap_.get(); }
    // Copies b's image (and its fixed key colour) into the strip; null empties it.
    void SetBitmap(const TBitmap* b);
    int32_t Height() const noexcept { return bitmap_->Height(); }
    int32_t NumImages() const noexcept { return numImages_; }
    void SetNumImages(int64_t n);
    bool Transparent() const noexcept { return transparent_; }
    void SetTransparent(int64_t value) noexcept { transparent_ = value != 0; }
    int32_t Width() const noexcept { return width_; }
    void SetWidth(int64_t w);

    TNotifyEvent OnChange;

    // Draws frame index with its top-left corner at (x, y). Raises
    // EInvalidOperation "TBitmapList: Empty" or "TBitmapList: Invalid Index"
    // (also for a negative index) before touching the canvas.
    void Draw(TCanvas& canvas, int x, int y, int index);

private:
    void BitmapChanged();

    std::unique_ptr<TBitmap> bitmap_;
    int32_t numImages_ = 1;
    bool transparent_ = false;
    int32_t width_ = 0;
};

}  // namespace skr
