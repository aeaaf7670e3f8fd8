#include <gtest/gtest.h>

#include <cstring>
#include <functional>
#include <vector>

#include "core/Exception.h"
#include "core/Stream.h"
#include "gfx/Bitmap.h"
#include "support/BmpImages.h"

namespace skr {
namespace {

using test::Put16At;
using test::Put32At;

// Builds a BMP file. value(x, y) gives, for y counted from the top, the
// palette index (bpp <= 8) or the 0x00RRGGBB colour.
std::vector<uint8_t> MakeBmp(int width, int height, int bpp, const std::vector<uint32_t>& palette,
                             const std::function<uint32_t(int, int)>& value, bool topDown = false) {
    const size_t stride = test::DibStride(width, bpp);
    const size_t offset = 14 + 40 + 4 * palette.size();
    std::vector<uint8_t> b(offset + stride * height, 0);
    b[0] = 'B';
    b[1] = 'M';
    Put32At(b, 2, static_cast<uint32_t>(b.size()));
    Put32At(b, 10, static_cast<uint32_t>(offset));
    test::PutInfoHeader(b, 14, width, topDown ? -height : height, bpp);
    Put32At(b, 46, static_cast<uint32_t>(palette.size()));
    for (size_t i = 0; i < palette.size(); ++i) Put32At(b, 54 + 4 * i, palette[i]);
    for (int y = 0; y < height; ++y) {
        uint8_t* row = b.data() + offset + stride * (topDown ? y : height - 1 - y);
        for (int x = 0; x < width; ++x) test::PackPixel(row, x, bpp, value(x, y));
    }
    return b;
}

TBitmap Load(const std::vector<uint8_t>& file) {
    TBitmap bmp;
    TSpanStream s(file);
    bmp.LoadFromStream(s);
    return bmp;
}

std::vector<uint32_t> Palette(int n) {
    std::vector<uint32_t> p;
    for (int i = 0; i < n; ++i) p.push_back(uint32_t(i * 37 % 256) << 16 | uint32_t(i * 91 % 256) << 8 | uint32_t(255 - i));
    return p;
}

struct DepthCase {
    int bpp;
    bool topDown;
};

class BmpDecode : public ::testing::TestWithParam<DepthCase> {};

TEST_P(BmpDecode, EveryPixelMatchesTheSourceInBothRowOrders) {
    // (Plain variables: lambdas of clang before 16 cannot capture bindings.)
    const int bpp = GetParam().bpp;
    const bool topDown = GetParam().topDown;
    const int w = 13, h = 5;  // odd width: rows need padding at every depth
    const std::vector<uint32_t> palette = bpp <= 8 ? Palette(1 << bpp) : std::vector<uint32_t>{};
    auto value = [&](int x, int y) -> uint32_t {
        if (bpp <= 8) return static_cast<uint32_t>(x * 7 + y * 3) % (1u << bpp);
        return uint32_t(x * 19) << 16 | uint32_t(y * 50) << 8 | uint32_t(x + y);
    };
    TBitmap bmp = Load(MakeBmp(w, h, bpp, palette, value, topDown));
    ASSERT_EQ(bmp.Width(), w);
    ASSERT_EQ(bmp.Height(), h);
    EXPECT_EQ(bmp.Monochrome(), bpp == 1);
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x) {
            const uint32_t want = bpp <= 8 ? palette[value(x, y)] : value(x, y);
            ASSERT_EQ(bmp.Scanline(y)[x], want) << "x=" << x << " y=" << y;
        }
}

INSTANTIATE_TEST_SUITE_P(Depths, BmpDecode,
                         ::testing::Values(DepthCase{1, false}, DepthCase{4, false}, DepthCase{8, false},
                                           DepthCase{24, false}, DepthCase{32, false}, DepthCase{1, true},
                                           DepthCase{4, true}, DepthCase{8, true}, DepthCase{24, true},
                                           DepthCase{32, true}));

TEST(Bitmap, KeyPixelIsFixedColourElseWhiteForMonochromeElseBottomLeft) {
    TBitmap colour = Load(MakeBmp(4, 3, 8, Palette(256), [](int x, int y) { return uint32_t(x + 10 * y); }));
    EXPECT_EQ(colour.KeyPixel(), Palette(256)[20]);  // column 0 of the bottom row
    colour.SetTransparentColor(0x123456);
    EXPECT_EQ(colour.KeyPixel(), 0x123456u);
    TBitmap mono = Load(MakeBmp(4, 3, 1, {0x000000, 0xFF0000}, [](int, int) { return 0u; }));
    EXPECT_EQ(mono.KeyPixel(), 0xFFFFFFu);
}

TEST(Bitmap, StreamPayloadRoundTripsByteExactAndNotifiesOncePerLoad) {
    const std::vector<uint8_t> file = MakeBmp(7, 3, 4, Palette(16), [](int x, int y) { return uint32_t(x ^ y); });
    TMemoryStream payload;
    payload.WriteU32(static_cast<uint32_t>(file.size()));
    payload.WriteBuffer(file.data(), file.size());
    payload.SetPosition(0);

    TBitmap bmp;
    int changes = 0;
    bmp.OnChange = [&](TObject* sender) {
        EXPECT_EQ(sender, &bmp);
        ++changes;
    };
    bmp.ReadData(payload);
    EXPECT_EQ(changes, 1);
    TMemoryStream out;
    bmp.WriteData(out);
    EXPECT_EQ(out.Bytes(), payload.Bytes());

    const uint8_t zero[4] = {0, 0, 0, 0};
    TSpanStream empty(zero);
    bmp.ReadData(empty);
    EXPECT_TRUE(bmp.Empty());
    EXPECT_EQ(changes, 2);
    TMemoryStream emptyOut;
    bmp.WriteData(emptyOut);
    EXPECT_EQ(emptyOut.Bytes(), std::vector<uint8_t>(4, 0));
}

TEST(Bitmap, ImageMadeInCodeIsSavedAsA24BitFileThatDecodesToTheSamePixels) {
    TBitmap bmp;
    bmp.SetSize(5, 3);
    for (int y = 0; y < 3; ++y)
        for (int x = 0; x < 5; ++x) bmp.Scanline(y)[x] = uint32_t(x * 40) << 16 | uint32_t(y * 90) << 8 | 7;
    bmp.Modified();
    TMemoryStream file;
    bmp.SaveToStream(file);
    TBitmap back = Load(file.Bytes());
    ASSERT_EQ(back.Width(), 5);
    ASSERT_EQ(back.Height(), 3);
    for (int y = 0; y < 3; ++y)
        for (int x = 0; x < 5; ++x) EXPECT_EQ(back.Scanline(y)[x], bmp.Scanline(y)[x]);
}

std::string LoadError(const std::vector<uint8_t>& file) {
    TBitmap bmp;
    TSpanStream s(file);
    try {
        bmp.LoadFromStream(s);
    } catch (const EInvalidGraphic& e) {
        return e.Message();
    } catch (const EReadError& e) {
        return e.Message();
    }
    return "";
}

TEST(BitmapHostile, SignatureAndPlaneCountAreRejectedAsInvalidBitmap) {
    std::vector<uint8_t> file = MakeBmp(4, 4, 8, Palette(4), [](int, int) { return 1u; });
    std::vector<uint8_t> badSig = file;
    badSig[1] = 'A';
    EXPECT_EQ(LoadError(badSig), "ビットマップイメージが不正です");
    std::vector<uint8_t> badPlanes = file;
    Put16At(badPlanes, 26, 2);
    EXPECT_EQ(LoadError(badPlanes), "ビットマップイメージが不正です");
}

TEST(BitmapHostile, EveryTruncationFailsCleanly) {
    const std::vector<uint8_t> file = MakeBmp(9, 6, 4, Palette(16), [](int x, int y) { return uint32_t(x + y); });
    for (size_t n = 0; n < file.size(); ++n) {
        const std::vector<uint8_t> cut(file.begin(), file.begin() + static_cast<ptrdiff_t>(n));
        EXPECT_NE(LoadError(cut), "") << "length " << n;
    }
    EXPECT_EQ(LoadError(file), "");
}

TEST(BitmapHostile, FieldsPointingPastTheEndOrAbsurdSizesFailWithoutAllocating) {
    const std::vector<uint8_t> file = MakeBmp(4, 4, 8, Palette(4), [](int, int) { return 1u; });
    auto with = [&](size_t at, uint32_t v) {
        std::vector<uint8_t> f = file;
        Put32At(f, at, v);
        return f;
    };
    EXPECT_NE(LoadError(with(10, 0xFFFFFFF0u)), "");  // pixel offset past the end
    EXPECT_NE(LoadError(with(14, 0x7FFFFFFFu)), "");  // info header longer than the file
    EXPECT_NE(LoadError(with(18, 0x7FFFFFFFu)), "");  // absurd width
    EXPECT_NE(LoadError(with(22, 0x80000000u)), "");  // INT32_MIN height
    EXPECT_NE(LoadError(with(18, 30000u)), "");       // plausible width, but no pixel bytes for it
    EXPECT_NE(LoadError(with(18, 0u)), "");
    EXPECT_NE(LoadError(with(46, 0xFFFFFFFFu)), "");  // colour table longer than the file
    EXPECT_NE(LoadError(with(30, 1u)), "");           // compressed rows
}

TEST(BitmapHostile, FailedLoadLeavesThePreviousImageAndShortPayloadRaisesReadError) {
    TBitmap bmp = Load(MakeBmp(3, 2, 24, {}, [](int x, int) { return uint32_t(x); }));
    std::vector<uint8_t> bad = MakeBmp(3, 2, 24, {}, [](int, int) { return 0u; });
    bad[0] = 'X';
    TSpanStream s(bad);
    EXPECT_THROW(bmp.LoadFromStream(s), EInvalidGraphic);
    EXPECT_EQ(bmp.Width(), 3);
    EXPECT_EQ(bmp.Scanline(0)[2], 2u);

    const uint8_t shortPayload[] = {0xFF, 0xFF, 0xFF, 0x7F, 'B', 'M'};  // claims 2 GiB
    TSpanStream p(shortPayload);
    try {
        bmp.ReadData(p);
        FAIL();
    } catch (const EReadError& e) {
        EXPECT_EQ(e.Message(), "ストリームからの読み込みエラー");
    }
}

}  // namespace
}  // namespace skr
