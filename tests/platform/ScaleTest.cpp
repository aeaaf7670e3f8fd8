#include <gtest/gtest.h>

#include "platform/Scale.h"

namespace skr::platform {
namespace {

TEST(PixelScale, PhysicalPixelsFloorToTheirClientPixelAndAreasToTheClientPixelsCoveringThem) {
    const PixelScale two{2}, three{3};
    EXPECT_EQ(two.ToClient(0), 0);
    EXPECT_EQ(two.ToClient(1), 0);
    EXPECT_EQ(two.ToClient(769), 384);
    // Left of or above the window while captured: still floored.
    EXPECT_EQ(two.ToClient(-1), -1);
    EXPECT_EQ(two.ToClient(-2), -1);
    EXPECT_EQ(two.ToClient(-39), -20);
    EXPECT_EQ(three.ToClient(-4), -2);
    EXPECT_EQ(two.ToClient(TRect{3, 4, 9, 10}), (TRect{1, 2, 5, 5}));
    EXPECT_EQ(two.ToPhysical(TRect{1, 2, 5, 5}), (TRect{2, 4, 10, 10}));
    EXPECT_EQ(PixelScale{}.ToClient(TRect{3, 4, 9, 10}), (TRect{3, 4, 9, 10}));

    // A rectangle (clipped to the surface) as 2 x 2 blocks; nothing else written.
    uint32_t from[6] = {1, 2, 3, 4, 5, 6}, to[36] = {};
    ScaleUp(TPixelView{from, 3, 2, 3}, TRect{1, 0, 9, 5}, TPixelView{to, 6, 6, 6}, 2);
    const uint32_t row0[6] = {0, 0, 2, 2, 3, 3}, row1[6] = {0, 0, 5, 5, 6, 6};
    for (int y = 0; y < 6; ++y)
        for (int x = 0; x < 6; ++x) EXPECT_EQ(to[y * 6 + x], y < 2 ? row0[x] : y < 4 ? row1[x] : 0u) << x << ", " << y;
}

TEST(PixelScale, TheScaleIsTheRoundedDpiOver96AndNeverTakesTheWindowOutOfTheWorkArea) {
    const WindowSpec spec{.left = 192, .top = 107, .clientWidth = 385, .clientHeight = 289, .captionUtf8 = {}};
    const TRect fullHd{0, 0, 1920, 1080}, uhd{0, 0, 3840, 2160};
    EXPECT_EQ(ScaleForDpi(96, spec, 6, 25, fullHd), 1);
    EXPECT_EQ(ScaleForDpi(120, spec, 6, 25, fullHd), 1);
    EXPECT_EQ(ScaleForDpi(144, spec, 6, 25, fullHd), 2);
    EXPECT_EQ(ScaleForDpi(192, spec, 6, 25, fullHd), 2);
    EXPECT_EQ(ScaleForDpi(288, spec, 6, 25, fullHd), 2);  // 3 would leave the screen's bottom
    EXPECT_EQ(ScaleForDpi(288, spec, 6, 25, uhd), 3);
    EXPECT_EQ(ScaleForDpi(192, spec, 6, 25, TRect{0, 0, 1154, 791}), 1);  // one pixel short at the bottom
    EXPECT_EQ(ScaleForDpi(192, spec, 6, 25, TRect{0, 0, 1160, 817}), 2);
    EXPECT_EQ(ScaleForDpi(0, spec, 6, 25, uhd), 1);
    EXPECT_EQ(ScaleForDpi(-5, spec, 6, 25, uhd), 1);
    EXPECT_EQ(ScaleForDpi(1 << 30, spec, 6, 25, TRect{0, 0, 1 << 15, 1 << 15}), 16);
}

TEST(FittedClient, AtTheOutputsScaleCentredOnWholeUnitsSmallerWhereItMustAndThePointerInClientPixels) {
    // A window of the client's size at scale 2: the drawable is all client.
    FittedClient f = FitClient(385, 289, 770, 578, 385, 289);
    EXPECT_EQ(f.k, 2);
    EXPECT_EQ(f.shown, (TRect{0, 0, 770, 578}));
    EXPECT_EQ(f.ToClientX(384), 384);
    EXPECT_EQ(f.ToClientX(-20), -20);
    // A tile of 956 x 511 units: centred, its corner on a whole unit.
    f = FitClient(385, 289, 1912, 1022, 956, 511);
    EXPECT_EQ(f.k, 2);
    EXPECT_EQ(f.shown, (TRect{570, 222, 1340, 800}));
    EXPECT_EQ(f.ToClientX(285), 0);
    EXPECT_EQ(f.ToClientY(110), -1);
    EXPECT_EQ(f.ToPhysical(TRect{1, 1, 2, 2}), (TRect{572, 224, 574, 226}));
    // Too small for the scale: the largest whole k that fits; no client or
    // drawable: nothing.
    EXPECT_EQ(FitClient(385, 289, 1000, 700, 500, 350).k, 2);
    EXPECT_EQ(FitClient(385, 289, 600, 500, 300, 250).k, 1);
    EXPECT_EQ(FitClient(0, 289, 770, 578, 385, 289).shown, TRect{});
}

}  // namespace
}  // namespace skr::platform
