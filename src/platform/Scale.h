// How a backend shows the client area on a display with more pixels per
// inch than the classic 96: each client pixel as a block of k x k physical
// pixels, never smoothed. Above the seam everything stays in client pixels;
// a backend multiplies what it shows by k and divides what it is told (the
// pointer, the areas to repaint) by k.
#pragma once

#include "platform/Platform.h"

namespace skr::platform {

struct PixelScale {
    int k = 1;

    // A physical coordinate in client pixels: floored, so that a captured
    // pointer left of or above the window (negative) stays in the client
    // pixel it is in.
    int ToClient(int physical) const noexcept {
        return physical >= 0 ? physical / k : -((-physical + k - 1) / k);
    }
    // The client rectangle that covers a physical one.
    TRect ToClient(const TRect& r) const noexcept {
        return TRect{ToClient(r.left), ToClient(r.top), -ToClient(-r.right), -ToClient(-r.bottom)};
    }
    TRect ToPhysical(const TRect& r) const noexcept { return TRect{r.left * k, r.top * k, r.right * k, r.bottom * k}; }
};

// Where a client area is shown in a drawable the backend does not size
// itself (a Wayland window: the compositor gives its size and its scale):
// each client pixel a k x k block, k the output's scale (the drawable's
// pixels per window unit) or less where that does not fit, centred on
// whole window units, black around it. Window units are what the window
// system reports the pointer in.
struct FittedClient {
    int unit = 1;        // physical pixels per window unit
    int k = 1;           // physical pixels per client pixel
    TRect shown{};       // the client area, in physical pixels of the drawable

    // A pointer position in window units as a client coordinate (floored,
    // also outside the area while captured).
    int ToClientX(int units) const noexcept { return PixelScale{k}.ToClient(units * unit - shown.left); }
    int ToClientY(int units) const noexcept { return PixelScale{k}.ToClient(units * unit - shown.top); }
    // A client rectangle in physical pixels of the drawable.
    TRect ToPhysical(const TRect& r) const noexcept {
        const TRect p = PixelScale{k}.ToPhysical(r);
        return TRect{p.left + shown.left, p.top + shown.top, p.right + shown.left, p.bottom + shown.top};
    }
};
// The fit of a client of clientWidth x clientHeight pixels in a drawable of
// drawableWidth x drawableHeight physical pixels for a window of
// windowWidth x windowHeight units.
FittedClient FitClient(int clientWidth, int clientHeight, int drawableWidth, int drawableHeight, int windowWidth,
                       int windowHeight) noexcept;

// Writes each pixel of rectangle `r` of `from` as a k x k block at k times
// its place in `to` (which is k times as large); r is clipped to `from`.
void ScaleUp(const TPixelView& from, const TRect& r, const TPixelView& to, int k) noexcept;

// The scale for a display of `dpi` pixels per inch: round(dpi / 96), at
// least 1, and lowered while the window would leave the work area with its
// outer corner at the stored position times k and the client area k times
// its size plus a frame of frameWidth x frameHeight physical pixels.
int ScaleForDpi(int dpi, const WindowSpec& spec, int frameWidth, int frameHeight, const TRect& workArea) noexcept;

}  // namespace skr::platform
