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

}  // namespace skr::platform
