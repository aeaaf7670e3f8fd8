// Shared by the fuzz targets: a check that aborts (so libFuzzer and the
// replay test both report the input), the texts of the errors the framework
// documents for damaged images and definitions, and a small pixel surface
// to draw onto.
#pragma once

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <string_view>
#include <vector>

#include "gfx/Canvas.h"

namespace skr::fuzz {

#define SKR_FUZZ_CHECK(cond)                                                          \
    do {                                                                              \
        if (!(cond)) {                                                                \
            std::fprintf(stderr, "%s:%d: check failed: %s\n", __FILE__, __LINE__, #cond); \
            std::abort();                                                             \
        }                                                                             \
    } while (0)

[[noreturn]] inline void Unexpected(const char* where, std::string_view message) {
    std::fprintf(stderr, "unexpected error in %s: %.*s\n", where, int(message.size()), message.data());
    std::abort();
}

inline bool Between(std::string_view m, std::string_view head, std::string_view tail) {
    return m.size() >= head.size() + tail.size() && m.substr(0, head.size()) == head &&
           m.substr(m.size() - tail.size()) == tail;
}

// "JPEG エラー #<number>", the error of a JPEG stream libjpeg rejects.
inline bool IsJpegError(std::string_view m) {
    constexpr std::string_view head = "JPEG エラー #";
    return m.size() > head.size() && m.substr(0, head.size()) == head &&
           m.find_first_not_of("0123456789", head.size()) == std::string_view::npos;
}

inline constexpr std::string_view kReadError = "ストリームからの読み込みエラー";
inline constexpr std::string_view kInvalidBitmap = "ビットマップイメージが不正です";
inline constexpr std::string_view kInvalidIcon = "アイコンイメージが不正です";

// A surface of w x h pixels with a border of guard pixels around it, so a
// copy that strays past the view's edges changes memory the check can see
// (ASan sees only what leaves the whole allocation).
class GuardedSurface {
public:
    static constexpr int kGuard = 8;
    static constexpr uint32_t kGuardPixel = 0xA5C3E1F0u;  // never a 0x00RRGGBB pixel

    GuardedSurface(int w, int h)
        : w_(w), h_(h), stride_(w + 2 * kGuard), pixels_(static_cast<size_t>(stride_) * (h + 2 * kGuard), kGuardPixel) {
        for (int y = 0; y < h; ++y)
            for (int x = 0; x < w; ++x) At(x, y) = 0x00102030u;
    }

    TPixelView View() noexcept { return TPixelView{&At(0, 0), w_, h_, stride_}; }
    uint32_t& At(int x, int y) noexcept {
        return pixels_[static_cast<size_t>(y + kGuard) * stride_ + static_cast<size_t>(x + kGuard)];
    }
    // Whether every guard pixel is untouched.
    bool GuardsIntact() const noexcept {
        for (int y = 0; y < h_ + 2 * kGuard; ++y)
            for (int x = 0; x < stride_; ++x) {
                const bool inside = y >= kGuard && y < h_ + kGuard && x >= kGuard && x < w_ + kGuard;
                if (!inside && pixels_[static_cast<size_t>(y) * stride_ + x] != kGuardPixel) return false;
            }
        return true;
    }

private:
    int w_, h_, stride_;
    std::vector<uint32_t> pixels_;
};

}  // namespace skr::fuzz
