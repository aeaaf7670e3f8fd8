#include <gtest/gtest.h>

#include <vector>

#include "gfx/Bitmap.h"
#include "gfx/Canvas.h"

namespace skr {
namespace {

struct Surface {
    std::vector<uint32_t> px = std::vector<uint32_t>(10 * 8, 0x111111);
    TCanvas canvas{TPixelView{px.data(), 10, 8, 10}};
    uint32_t At(int x, int y) const { return px[static_cast<size_t>(y) * 10 + x]; }
};

TBitmap Solid(int w, int h, uint32_t pixel) {
    TBitmap b;
    b.SetSize(w, h);
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x) b.Scanline(y)[x] = pixel;
    return b;
}

TEST(Canvas, FillsOnlyInsideTheSurfaceAndTheClipRegion) {
    Surface s;
    s.canvas.Brush.Color = clWhite;
    s.canvas.FillRect({-5, -5, 3, 2});  // partly off the surface
    EXPECT_EQ(s.At(2, 1), 0xFFFFFFu);
    EXPECT_EQ(s.At(3, 1), 0x111111u);  // right edge excluded
    EXPECT_EQ(s.canvas.TakeChanged(), (TRect{0, 0, 3, 2}));
    const TRect clip[] = {{5, 5, 6, 6}, {8, 0, 10, 1}};
    s.canvas.SetClip(clip);
    s.canvas.Brush.Color = 0x0000FF;  // red, as a colour value
    s.canvas.FillRect({0, 0, 10, 8});
    EXPECT_EQ(s.At(5, 5), 0xFF0000u);
    EXPECT_EQ(s.At(9, 0), 0xFF0000u);
    EXPECT_EQ(s.At(4, 5), 0x111111u);
    EXPECT_EQ(s.canvas.TakeChanged(), (TRect{5, 0, 10, 6}));
    s.canvas.Brush.Style = TBrushStyle::bsClear;
    s.canvas.ResetClip();
    s.canvas.FillRect({0, 0, 10, 8});
    EXPECT_EQ(s.At(7, 7), 0x111111u);  // a clear brush fills nothing
}

TEST(Canvas, CopiesWithEachCopyModeAndOnlyFromInsideTheBitmap) {
    const TBitmap b = Solid(4, 4, 0x0F0F0F);
    struct Mode { TCopyMode mode; uint32_t expect; };
    for (const Mode m : {Mode{TCopyMode::cmSrcCopy, 0x0F0F0F}, Mode{TCopyMode::cmSrcAnd, 0x010101},
                         Mode{TCopyMode::cmSrcPaint, 0x1F1F1F}, Mode{TCopyMode::cmSrcInvert, 0x1E1E1E}}) {
        Surface s;
        s.canvas.CopyMode = m.mode;
        // The source rectangle reaches past the bitmap's right and bottom edges.
        s.canvas.CopyRect({1, 1, 7, 7}, b, {1, 1, 7, 7});
        EXPECT_EQ(s.At(1, 1), m.expect);
        EXPECT_EQ(s.At(3, 3), m.expect);
        EXPECT_EQ(s.At(4, 4), 0x111111u);  // no source there
        EXPECT_EQ(s.At(0, 0), 0x111111u);
    }
}

TEST(Canvas, TransparentCopyKeepsKeyColouredPixels) {
    TBitmap b = Solid(3, 1, 0x00FF00);
    b.Scanline(0)[1] = 0x123456;
    Surface s;
    s.canvas.TransparentCopy({2, 2, 5, 3}, b, {0, 0, 3, 1}, 0x123456);
    EXPECT_EQ(s.At(2, 2), 0x00FF00u);
    EXPECT_EQ(s.At(3, 2), 0x111111u);
    EXPECT_EQ(s.At(4, 2), 0x00FF00u);
}

}  // namespace
}  // namespace skr
