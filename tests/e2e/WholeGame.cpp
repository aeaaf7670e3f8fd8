// (GoogleTest before Xlib, whose macros would rewrite its names.)
#include <gtest/gtest.h>

#include "WholeGame.h"

#include <algorithm>
#include <array>
#include <chrono>
#include <limits>
#include <thread>
#include <vector>

#include "core/Stream.h"
#include "gfx/Bitmap.h"
#include "gfx/JPEGImage.h"
#include "support/Files.h"
#include "support/JpegImages.h"

namespace skr::e2e {
namespace {

constexpr int kWidth = 385, kHeight = 289;
constexpr int kDigitWidth = 16, kCounterTop = 256;
constexpr int kCounterLeft[7] = {136, 152, 168, 184, 200, 216, 232};
constexpr const char* kPictures[5] = {"Iperfect", "Inobody", "Iwhy", "Iwinner", "Igoback"};

using Pixels = std::vector<uint32_t>;

// An asset's bytes (none when it cannot be read: the references are then not ok).
std::vector<uint8_t> ReadAsset(const std::string& path) { return test::TryReadFile(path).value_or(std::vector<uint8_t>{}); }

// Lit: a channel above `dark` (the game's dimmest figure frames are near black).
bool Lit(uint32_t c, int dark = 8) {
    return int((c >> 16) & 0xFF) > dark || int((c >> 8) & 0xFF) > dark || int(c & 0xFF) > dark;
}

// The digit strip's frames (0-9 and the slash) as lit masks, and the result
// pictures' pixels, from the assets.
struct References {
    int digitHeight = 0;
    std::vector<std::vector<bool>> digits;
    std::array<Pixels, 5> pictures;
    std::array<int, 5> pictureWidth{};
    bool ok = false;

    explicit References(const std::string& dir) {
        TBitmap strip;
        TMemoryStream s(ReadAsset(dir + "/BitmapNumber.bmp"));
        try {
            strip.LoadFromStream(s);
        } catch (...) {
            return;
        }
        if (strip.Width() < 11 * kDigitWidth) return;
        digitHeight = strip.Height();
        const uint32_t key = strip.KeyPixel();
        for (int f = 0; f < 11; ++f) {
            std::vector<bool> mask;
            for (int y = 0; y < digitHeight; ++y)
                for (int x = 0; x < kDigitWidth; ++x) mask.push_back(strip.Scanline(y)[f * kDigitWidth + x] != key);
            digits.push_back(mask);
        }
        for (int i = 0; i < 5; ++i) {
            TMemoryStream js = test::JpegPayload(ReadAsset(dir + "/" + kPictures[i] + ".jpg"));
            TJPEGImage image;
            try {
                image.ReadData(js);
                image.DIBNeeded();
            } catch (...) {
                return;
            }
            const TPixelView v = image.View();
            for (int y = 0; y < v.height; ++y)
                for (int x = 0; x < v.width; ++x) pictures[i].push_back(v.pixels[y * v.stride + x]);
            // (The pictures show their top-left 384 x 288 pixels.)
            if (v.width < 384 || v.height < 288) return;
            pictureWidth[i] = v.width;
        }
        ok = true;
    }

    // The frame nearest to the digit drawn at x, or -1 when nothing is drawn there.
    int Digit(const Pixels& p, int left) const {
        int best = -1, bestMiss = std::numeric_limits<int>::max(), lit = 0;
        for (size_t f = 0; f < digits.size(); ++f) {
            int miss = 0;
            for (int y = 0; y < digitHeight; ++y)
                for (int x = 0; x < kDigitWidth; ++x) {
                    const bool on = Lit(p[static_cast<size_t>(kCounterTop + y) * kWidth + left + x]);
                    if (f == 0) lit += on;
                    miss += on != digits[f][static_cast<size_t>(y) * kDigitWidth + x];
                }
            if (miss < bestMiss) bestMiss = miss, best = static_cast<int>(f);
        }
        return lit == 0 ? -1 : best;
    }

    // The counter line "hhh/fff": false when it does not read as one.
    bool Counter(const Pixels& p, int& hits, int& figures) const {
        int d[7];
        for (int i = 0; i < 7; ++i)
            if ((d[i] = Digit(p, kCounterLeft[i])) < 0) return false;
        if (d[3] != 10) return false;
        for (int i : {0, 1, 2, 4, 5, 6})
            if (d[i] > 9) return false;
        hits = d[0] * 100 + d[1] * 10 + d[2];
        figures = d[4] * 100 + d[5] * 10 + d[6];
        return true;
    }

    // The result picture nearest to what covers the window.
    std::string Picture(const Pixels& p) const {
        int best = 0;
        double bestDiff = std::numeric_limits<double>::max();
        for (int i = 0; i < 5; ++i) {
            double diff = 0;
            for (int y = 0; y < 288; y += 4)
                for (int x = 0; x < 384; x += 4) {
                    const uint32_t a = p[static_cast<size_t>(y) * kWidth + x], b = pictures[i][static_cast<size_t>(y) * pictureWidth[i] + x];
                    for (int s : {0, 8, 16}) diff += std::abs(int((a >> s) & 0xFF) - int((b >> s) & 0xFF));
                }
            if (diff < bestDiff) bestDiff = diff, best = i;
        }
        return kPictures[best];
    }
};

double Cover(const Pixels& p) {
    int lit = 0, n = 0;
    for (int y = 0; y < kHeight; y += 8)
        for (int x = 0; x < kWidth; x += 8, ++n) lit += Lit(p[static_cast<size_t>(y) * kWidth + x]);
    return n ? double(lit) / n : 0;
}

int LitIn(const Pixels& p, int left, int top, int right, int bottom, int dark = 8) {
    int n = 0;
    for (int y = top; y < bottom; ++y)
        for (int x = left; x < right; ++x) n += Lit(p[static_cast<size_t>(y) * kWidth + x], dark);
    return n;
}

void Wait(int ms) { std::this_thread::sleep_for(std::chrono::milliseconds(ms)); }

}  // namespace

WholeGame PlayWholeGame(XSession& x, Window w, const std::string& assetsDir, int timeoutSeconds) {
    WholeGame g;
    const References ref(assetsDir);
    if (!ref.ok) {
        g.failure = "the assets in " + assetsDir + " could not be read";
        return g;
    }
    auto capture = [&] { return x.Capture(w, kWidth, kHeight); };
    Pixels p = capture();
    if (p.size() != static_cast<size_t>(kWidth) * kHeight) {
        g.failure = "the window could not be read";
        return g;
    }
    g.startPressAt = NowMs();
    x.Click(w, 200, 100);
    int hits = 0, figures = 0;
    for (int i = 0; i < 50 && !(g.started = ref.Counter(p = capture(), hits, figures) && figures <= 1); ++i) Wait(50);
    if (!g.started) {
        g.failure = "no counter line after the start press";
        return g;
    }
    g.lastHits = hits;
    g.lastFigures = figures;
    const auto end = std::chrono::steady_clock::now() + std::chrono::seconds(timeoutSeconds);
    while (std::chrono::steady_clock::now() < end) {
        p = capture();
        const double seen = NowMs();
        if (Cover(p) > 0.9) {
            g.covered = true;
            g.coveredAt = seen;
            break;
        }
        if (ref.Counter(p, hits, figures)) {
            if (hits < g.lastHits || figures < g.lastFigures || hits > figures || figures > 100) g.counterConsistent = false;
            if (hits > g.lastHits) g.hitsSeen += hits - g.lastHits;
            for (int k = g.lastHits; k < hits; ++k) g.hitsShownAt.push_back(seen);
            g.lastHits = hits;
            g.lastFigures = figures;
        }
        for (int c = 0; c < 24; ++c) {
            const int cx = (c % 6) * 64, cy = (c / 6) * 64;
            if (LitIn(p, cx + 8, cy + 8, cx + 56, cy + 56) < 20) continue;
            g.strikesAt.push_back(NowMs());
            x.Click(w, cx + 32, cy + 32);
            ++g.strikes;
        }
        Wait(15);
    }
    if (!g.covered) {
        g.failure = "no result picture in time";
        return g;
    }
    // The picture drawn completely (it may still be arriving).
    Wait(300);
    p = capture();
    g.picture = ref.Picture(p);
    const int h = g.lastHits;
    g.expected = kPictures[h >= 100 ? 0 : h >= 90 ? 1 : h >= 80 ? 2 : h >= 70 ? 3 : 4];

    x.Click(w, 192, 144);
    for (int i = 0; i < 60 && !g.promptAgain; ++i) {
        Wait(50);
        p = capture();
        int h2 = 0, f2 = 0;
        g.promptAgain = Cover(p) < 0.3 && LitIn(p, 92, 200, 292, 223) > 0 && ref.Counter(p, h2, f2) && h2 == g.lastHits &&
                        f2 == g.lastFigures;
    }
    return g;
}

void CheckPlacement(XSession& x, Window w, int frameLeft, int frameTop) {
    const int k = x.Scale();
    int left, top, width, height;
    ASSERT_TRUE(x.Geometry(w, left, top, width, height));
    EXPECT_EQ(width, kWidth * k);
    EXPECT_EQ(height, kHeight * k);
    EXPECT_EQ(left, 192 * k + frameLeft);
    EXPECT_EQ(top, 107 * k + frameTop);
}

void PlayTheOpening(XSession& x, Window w, const std::function<size_t()>& soundBytes) {
    // (Each client pixel counts as lit unless it is all black.)
    auto lit = [](const Pixels& p, int left, int top, int right, int bottom) {
        return p.size() == size_t(kWidth) * kHeight ? LitIn(p, left, top, right, bottom, 0) : 0;
    };

    Pixels pixels;
    for (int i = 0; i < 100 && lit(pixels = x.Capture(w, kWidth, kHeight), 92, 200, 292, 223) == 0; ++i) Wait(100);
    ASSERT_EQ(pixels.size(), static_cast<size_t>(kWidth) * kHeight);
    EXPECT_GT(lit(pixels, 92, 200, 292, 223), 100);
    EXPECT_EQ(lit(pixels, 0, 0, kWidth, 190), 0);
    EXPECT_EQ(lit(pixels, 0, 256, kWidth, kHeight), 0);

    // The prompt changes at every tick: measure the periods between changes.
    using Clock = std::chrono::steady_clock;
    std::vector<double> changes;
    auto digest = [](const Pixels& p) {
        uint64_t h = 1469598103934665603ull;
        for (int y = 200; y < 223 && p.size() == size_t(kWidth) * kHeight; ++y)
            for (int x = 92; x < 292; ++x) h = (h ^ p[static_cast<size_t>(y) * kWidth + x]) * 1099511628211ull;
        return h;
    };
    uint64_t last = digest(pixels);
    for (const auto end = Clock::now() + std::chrono::milliseconds(2600); Clock::now() < end;) {
        const uint64_t d = digest(x.Capture(w, kWidth, kHeight));
        if (d != last) {
            changes.push_back(std::chrono::duration<double, std::milli>(Clock::now().time_since_epoch()).count());
            last = d;
        }
        Wait(5);
    }
    ASSERT_GE(changes.size(), 6u) << "the prompt does not blink";
    std::vector<double> periods;
    for (size_t i = 1; i < changes.size(); ++i) periods.push_back(changes[i] - changes[i - 1]);
    std::sort(periods.begin(), periods.end());
    EXPECT_NEAR(periods[periods.size() / 2], 250.0, 25.0);

    const size_t silentBefore = soundBytes ? soundBytes() : 0;
    x.Click(w, 200, 100);
    for (int i = 0; i < 50 && lit(pixels = x.Capture(w, kWidth, kHeight), 136, 256, 248, 288) == 0; ++i) Wait(100);
    EXPECT_GT(lit(pixels, 136, 256, 248, 288), 100) << "no counter line after the press";
    EXPECT_EQ(x.MixedBlocks(), 0) << "client pixels not shown as whole blocks";
    if (!soundBytes) return;
    size_t sound = 0;
    for (int i = 0; i < 50 && (sound = soundBytes()) <= silentBefore + 4000; ++i) Wait(100);
    EXPECT_GT(sound, silentBefore + 4000) << "the start clip did not reach the audio output";
}

}  // namespace skr::e2e
