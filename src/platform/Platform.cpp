#include "platform/Platform.h"
#include "platform/Scale.h"

#include <algorithm>
#include <chrono>
#include <cstddef>

namespace skr::platform {
namespace {
Platform* active = nullptr;
}

Platform* Active() noexcept { return active; }
void SetActive(Platform* platform) noexcept { active = platform; }

TSystemTime UtcTimeOfDay() {
    using namespace std::chrono;
    const auto now = system_clock::now().time_since_epoch();
    return TimeOfDayFromMs(static_cast<uint64_t>(duration_cast<milliseconds>(now).count()));
}

void ScaleUp(const TPixelView& from, const TRect& r, const TPixelView& to, int k) noexcept {
    const int left = std::max(r.left, 0), top = std::max(r.top, 0);
    const int right = std::min({r.right, from.width, to.width / k}), bottom = std::min({r.bottom, from.height, to.height / k});
    for (int y = top; y < bottom; ++y) {
        const uint32_t* src = from.pixels + static_cast<ptrdiff_t>(y) * from.stride;
        uint32_t* dst = to.pixels + static_cast<ptrdiff_t>(y) * k * to.stride + left * k;
        uint32_t* out = dst;
        for (int x = left; x < right; ++x)
            for (int i = 0; i < k; ++i) *out++ = src[x];
        // The row's other k - 1 copies.
        for (int i = 1; i < k; ++i) std::copy(dst, out, dst + static_cast<ptrdiff_t>(i) * to.stride);
    }
}

int ScaleForDpi(int dpi, const WindowSpec& spec, int frameWidth, int frameHeight, const TRect& workArea) noexcept {
    int k = dpi > 0 ? (dpi + 48) / 96 : 1;
    if (k > 16) k = 16;  // no display is that dense; keeps the products below in range
    for (; k > 1; --k) {
        const bool fitsAcross = spec.left * k + spec.clientWidth * k + frameWidth <= workArea.right;
        const bool fitsDown = spec.top * k + spec.clientHeight * k + frameHeight <= workArea.bottom;
        if (fitsAcross && fitsDown) break;
    }
    return k < 1 ? 1 : k;
}

FittedClient FitClient(int clientWidth, int clientHeight, int drawableWidth, int drawableHeight, int windowWidth,
                       int windowHeight) noexcept {
    FittedClient f;
    if (clientWidth <= 0 || clientHeight <= 0 || drawableWidth <= 0 || drawableHeight <= 0) return f;
    // A whole scale per window unit (the compositor's buffer scale); a
    // fractional one is rounded, and left to the compositor.
    if (windowWidth > 0 && windowHeight > 0)
        f.unit = std::clamp((drawableWidth + windowWidth / 2) / windowWidth, 1, 16);
    f.k = std::max(1, std::min({f.unit, drawableWidth / clientWidth, drawableHeight / clientHeight}));
    const int w = clientWidth * f.k, h = clientHeight * f.k;
    // Centred, on a whole window unit (so the pointer's units map exactly).
    const int left = std::max(0, (drawableWidth - w) / 2) / f.unit * f.unit;
    const int top = std::max(0, (drawableHeight - h) / 2) / f.unit * f.unit;
    f.shown = TRect{left, top, left + w, top + h};
    return f;
}

}  // namespace skr::platform
