#include <gtest/gtest.h>

#include <cstring>
#include <functional>
#include <vector>

#include "core/Exception.h"
#include "core/Stream.h"
#include "gfx/Bitmap.h"
#include "gfx/Icon.h"
#include "support/BmpImages.h"

namespace skr {
namespace {

using test::Put16At;
using test::Put32At;

struct ImageSpec {
    int size;
    int bpp;
    std::function<uint32_t(int, int)> value;  // palette index or 0xAARRGGBB
    std::function<bool(int, int)> transparent;
};

uint32_t PaletteColour(uint32_t i) { return (i * 40 % 256) << 16 | (255 - i) << 8 | i; }

std::vector<uint8_t> MakeDib(const ImageSpec& s) {
    const int n = s.size;
    const size_t colours = s.bpp <= 8 ? (1u << s.bpp) : 0;
    const size_t xorStride = test::DibStride(n, s.bpp), andStride = test::DibStride(n, 1);
    std::vector<uint8_t> d(40 + 4 * colours + (xorStride + andStride) * n, 0);
    test::PutInfoHeader(d, 0, n, 2 * n, s.bpp);  // colour and mask halves
    for (size_t i = 0; i < colours; ++i) Put32At(d, 40 + 4 * i, PaletteColour(static_cast<uint32_t>(i)));
    const size_t xorAt = 40 + 4 * colours, andAt = xorAt + xorStride * n;
    for (int y = 0; y < n; ++y) {
        uint8_t* row = d.data() + xorAt + xorStride * (n - 1 - y);
        uint8_t* mask = d.data() + andAt + andStride * (n - 1 - y);
        for (int x = 0; x < n; ++x) {
            test::PackPixel(row, x, s.bpp, s.value(x, y));
            if (s.transparent(x, y)) mask[x / 8] |= uint8_t(0x80 >> (x % 8));
        }
    }
    return d;
}

std::vector<uint8_t> MakeIcon(const std::vector<ImageSpec>& images, uint16_t type = 1) {
    std::vector<uint8_t> f(6 + 16 * images.size(), 0);
    Put16At(f, 2, type);
    Put16At(f, 4, static_cast<uint32_t>(images.size()));
    for (size_t i = 0; i < images.size(); ++i) {
        const std::vector<uint8_t> dib = MakeDib(images[i]);
        const size_t e = 6 + 16 * i;
        f[e] = uint8_t(images[i].size);
        f[e + 1] = uint8_t(images[i].size);
        f[e + 2] = images[i].bpp == 4 ? 16 : 0;  // colour count; bit count left 0 as the program's icon has it
        Put32At(f, e + 8, static_cast<uint32_t>(dib.size()));
        Put32At(f, e + 12, static_cast<uint32_t>(f.size()));
        f.insert(f.end(), dib.begin(), dib.end());
    }
    return f;
}

const ImageSpec k4Bit32{32, 4, [](int x, int y) { return uint32_t(x + y) % 16; }, [](int x, int) { return x < 4; }};
const ImageSpec k8Bit16{16, 8, [](int x, int) { return uint32_t(x * 9); }, [](int, int) { return false; }};
const ImageSpec k32Bit32{32, 32, [](int x, int) { return 0xFF000000u | uint32_t(x); }, [](int, int) { return false; }};

TIcon Load(const std::vector<uint8_t>& file) {
    TIcon icon;
    TSpanStream s(file);
    icon.ReadData(s);
    return icon;
}

TEST(Icon, DecodesThe16ColourImageWithItsMask) {
    const std::vector<uint8_t> file = MakeIcon({k4Bit32});
    TIcon icon = Load(file);
    EXPECT_EQ(icon.Width(), 32);
    int w = 0, h = 0;
    const std::vector<uint32_t> argb = icon.ToArgb(32, w, h);
    ASSERT_EQ(w, 32);
    ASSERT_EQ(h, 32);
    for (int y = 0; y < 32; ++y)
        for (int x = 0; x < 32; ++x) {
            const uint32_t want = PaletteColour(uint32_t(x + y) % 16) | (x < 4 ? 0u : 0xFF000000u);
            ASSERT_EQ(argb[static_cast<size_t>(y) * 32 + x], want) << x << "," << y;
        }
    TMemoryStream out;
    icon.WriteData(out);
    EXPECT_EQ(out.Bytes(), file);  // kept whole
}

TEST(Icon, ChoosesTheImageForSizeAndColourDepth) {
    TIcon icon = Load(MakeIcon({k8Bit16, k32Bit32, k4Bit32}));
    EXPECT_EQ(icon.ChooseImage(16, 32), 0);
    EXPECT_EQ(icon.ChooseImage(32, 32), 1);
    EXPECT_EQ(icon.ChooseImage(32, 8), 2);  // deepest colour the display shows
    EXPECT_EQ(icon.ChooseImage(48, 32), 1);
    int w = 0, h = 0;
    const std::vector<uint32_t> argb = icon.ToArgb(32, w, h);
    EXPECT_EQ(argb[5], 0xFF000005u);  // the 32-bit image keeps its own alpha
}

TEST(Icon, ImageTypeAboveOneIsInvalid) {
    try {
        Load(MakeIcon({k4Bit32}, 2));
        FAIL();
    } catch (const EInvalidGraphic& e) {
        EXPECT_EQ(e.Message(), "アイコンイメージが不正です");
    }
}

TEST(Icon, DrawPaintsThroughTheMask) {
    TIcon icon = Load(MakeIcon({k4Bit32}));
    TBitmap screen;
    screen.SetSize(40, 40);
    TCanvas canvas = screen.Canvas();
    canvas.Brush.Color = 0x00FF00;  // BGR: pure green
    canvas.FillRect(TRect{0, 0, 40, 40});
    canvas.Draw(2, 3, icon);
    EXPECT_EQ(screen.Scanline(3)[2], 0x00FF00u);                       // masked: background stays
    EXPECT_EQ(screen.Scanline(3)[2 + 10], PaletteColour(10));           // opaque: the icon's pixel
    EXPECT_EQ(screen.Scanline(3 + 31)[2 + 31], PaletteColour(62 % 16));
    EXPECT_EQ(screen.Scanline(35)[10], 0x00FF00u);                      // below the icon
}

TEST(IconHostile, TruncationsAndBadEntriesFailCleanly) {
    const std::vector<uint8_t> file = MakeIcon({k4Bit32, k8Bit16});
    for (size_t n = 1; n < file.size(); n += (n < 80 ? 1 : 37)) {
        const std::vector<uint8_t> cut(file.begin(), file.begin() + static_cast<ptrdiff_t>(n));
        bool failed = false;
        try {
            TIcon icon = Load(cut);
            int w, h;
            icon.ToArgb(32, w, h);
            icon.ToArgb(16, w, h);  // the last image: every cut reaches it
        } catch (const Exception&) {
            failed = true;
        }
        EXPECT_TRUE(failed) << "length " << n;
    }
    std::vector<uint8_t> badOffset = file;
    Put32At(badOffset, 6 + 12, 0xFFFFFFF0u);
    EXPECT_THROW(Load(badOffset), EReadError);

    std::vector<uint8_t> hugeCount = file;
    Put16At(hugeCount, 4, 0xFFFF);
    EXPECT_THROW(Load(hugeCount), EReadError);

    const size_t first = 6 + 16 * 2;  // the first image, after two directory entries
    std::vector<uint8_t> absurd = file;
    Put32At(absurd, first + 4, 0x7FFFFFFF);  // width inside the first image
    TIcon icon = Load(absurd);
    int w, h;
    EXPECT_THROW(icon.DecodeImage(0, w, h), EInvalidGraphic);

    std::vector<uint8_t> png = file;
    const uint8_t sig[8] = {0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n'};
    std::memcpy(png.data() + first, sig, 8);
    TIcon pngIcon = Load(png);
    EXPECT_THROW(pngIcon.DecodeImage(0, w, h), EInvalidGraphic);
}

}  // namespace
}  // namespace skr
