// The region against a plain model of the same area, one cell a pixel: after
// every step its pieces are disjoint and non-empty, and they cover exactly
// the model's pixels.
#include "gfx/Region.h"

#include <gtest/gtest.h>

#include <array>
#include <cstdint>

namespace skr {
namespace {

constexpr int kSide = 40;
using Grid = std::array<std::array<bool, kSide>, kSide>;

void Paint(Grid& g, const TRect& r, bool on) {
    for (int y = std::max(r.top, 0); y < std::min(r.bottom, kSide); ++y)
        for (int x = std::max(r.left, 0); x < std::min(r.right, kSide); ++x) g[y][x] = on;
}

// Fails unless the pieces are disjoint, non-empty, and cover the model.
void ExpectSameArea(const TRegion& region, const Grid& model) {
    Grid covered{};
    for (const TRect& r : region.Rects()) {
        ASSERT_FALSE(r.Empty());
        for (int y = r.top; y < r.bottom; ++y)
            for (int x = r.left; x < r.right; ++x) {
                ASSERT_TRUE(x >= 0 && y >= 0 && x < kSide && y < kSide);
                ASSERT_FALSE(covered[y][x]) << "pieces overlap at " << x << "," << y;
                covered[y][x] = true;
            }
    }
    EXPECT_EQ(covered, model);
    bool any = false;
    TRect bounds{kSide, kSide, 0, 0};
    for (int y = 0; y < kSide; ++y)
        for (int x = 0; x < kSide; ++x)
            if (model[y][x]) {
                any = true;
                bounds = {std::min(bounds.left, x), std::min(bounds.top, y), std::max(bounds.right, x + 1),
                          std::max(bounds.bottom, y + 1)};
            }
    EXPECT_EQ(region.Empty(), !any);
    if (any) {
        EXPECT_EQ(region.Bounds(), bounds);
    }
}

TEST(Region, AddSubtractAndIntersectKeepDisjointPiecesCoveringTheArea) {
    uint32_t seed = 12345;
    auto next = [&](int below) {
        seed = seed * 1103515245u + 12345u;
        return static_cast<int>((seed >> 16) % static_cast<uint32_t>(below));
    };
    auto rect = [&] {
        const int l = next(kSide), t = next(kSide);
        return TRect{l, t, l + 1 + next(kSide - l), t + 1 + next(kSide - t)};
    };
    TRegion region;
    Grid model{};
    for (int step = 0; step < 400; ++step) {
        const TRect r = rect();
        switch (next(5)) {
            case 0:
            case 1:
            case 2:
                region.Add(r);
                Paint(model, r, true);
                break;
            case 3:
                region.Subtract(r);
                Paint(model, r, false);
                break;
            default: {
                // Intersects agrees with the model before the area is cut to r.
                bool meets = false;
                for (int y = r.top; y < r.bottom; ++y)
                    for (int x = r.left; x < r.right; ++x) meets = meets || model[y][x];
                EXPECT_EQ(region.Intersects(r), meets);
                if (step % 3 == 0) {
                    region.IntersectWith(r);
                    Grid kept{};
                    for (int y = r.top; y < r.bottom; ++y)
                        for (int x = r.left; x < r.right; ++x) kept[y][x] = model[y][x];
                    model = kept;
                }
            }
        }
        ExpectSameArea(region, model);
        if (HasFatalFailure()) return;
        if (step % 97 == 96) {
            region.Clear();
            model = Grid{};
        }
    }
}

TEST(Region, EmptyRectanglesChangeNothing) {
    TRegion region;
    region.Add({5, 5, 5, 9});
    region.Add({7, 3, 2, 8});
    EXPECT_TRUE(region.Empty());
    region.Add({0, 0, 4, 4});
    region.Subtract({2, 2, 2, 2});
    Grid model{};
    Paint(model, {0, 0, 4, 4}, true);
    ExpectSameArea(region, model);
}

}  // namespace
}  // namespace skr
