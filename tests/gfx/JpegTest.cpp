#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <set>
#include <vector>

#include <jerror.h>
#include <jpeglib.h>

#include "core/Exception.h"
#include "core/Stream.h"
#include "gfx/Bitmap.h"
#include "gfx/JPEGImage.h"
#include "gfx/Picture.h"
#include "gfx/StandardGraphics.h"
#include "support/JpegImages.h"

namespace skr {
namespace {

// A smooth colour field with many distinct colours.
uint32_t SourcePixel(int x, int y) { return uint32_t(x * 4 % 256) << 16 | uint32_t(y * 4 % 256) << 8 | uint32_t((x + y) * 2 % 256); }

std::vector<uint8_t> Encode(int w, int h, bool grey = false, bool progressive = false) {
    return test::EncodeJpeg(w, h, SourcePixel, {.grey = grey, .progressive = progressive});
}

using test::JpegPayload;

std::string JpegMessage(int code) { return "JPEG エラー #" + std::to_string(code); }

int Near(uint32_t a, uint32_t b) {
    int d = 0;
    for (int s = 0; s < 24; s += 8) d = std::max(d, std::abs(int((a >> s) & 255) - int((b >> s) & 255)));
    return d;
}

TEST(JPEGImage, LoadReadsOnlyTheHeaderAndFirstDrawDecodesOnceAtFullSize) {
    TJPEGImage img;
    TMemoryStream s = JpegPayload(Encode(40, 24));
    img.ReadData(s);
    EXPECT_EQ(s.Remaining(), 0u);
    EXPECT_EQ(img.Width(), 40);
    EXPECT_EQ(img.Height(), 24);
    EXPECT_FALSE(img.Grayscale());
    EXPECT_FALSE(img.ProgressiveEncoding());
    EXPECT_FALSE(img.Decoded());

    TBitmap screen;
    screen.SetSize(60, 40);
    TCanvas canvas = screen.Canvas();
    canvas.Draw(5, 7, img);
    ASSERT_TRUE(img.Decoded());
    const uint32_t* first = img.View().pixels;
    int worst = 0;
    for (int y = 0; y < 24; ++y)
        for (int x = 0; x < 40; ++x) worst = std::max(worst, Near(screen.Scanline(y + 7)[x + 5], SourcePixel(x, y)));
    EXPECT_LE(worst, 24);
    EXPECT_EQ(screen.Scanline(6)[5], 0u);   // above the picture: untouched
    EXPECT_EQ(screen.Scanline(7)[45], 0u);  // right of it
    canvas.Draw(0, 0, img);
    EXPECT_EQ(img.View().pixels, first);  // the decoded image is reused

    TMemoryStream out;
    img.WriteData(out);
    EXPECT_EQ(out.Bytes(), s.Bytes());
}

TEST(JPEGImage, GreyscaleAndProgressiveHeadersAreReported) {
    TJPEGImage grey, prog;
    TMemoryStream g = JpegPayload(Encode(16, 16, true));
    grey.ReadData(g);
    EXPECT_TRUE(grey.Grayscale());
    TMemoryStream p = JpegPayload(Encode(16, 16, false, true));
    prog.ReadData(p);
    EXPECT_TRUE(prog.ProgressiveEncoding());
    prog.DIBNeeded();
    EXPECT_LE(Near(prog.View().pixels[17], SourcePixel(1, 1)), 24);
}

TEST(JPEGImage, HeaderThatLibjpegRejectsRaisesItsMessageNumber) {
    TJPEGImage img;
    const std::vector<uint8_t> junk = {'n', 'o', 't', ' ', 'j', 'p', 'e', 'g'};
    TMemoryStream s = JpegPayload(junk);
    try {
        img.ReadData(s);
        FAIL();
    } catch (const EJPEG& e) {
        EXPECT_EQ(e.Message(), JpegMessage(JERR_NO_SOI));
    }
    const std::vector<uint8_t> good = Encode(8, 8);
    for (size_t n : {2u, 20u, 100u}) {  // cut inside the header
        TMemoryStream cut = JpegPayload(std::vector<uint8_t>(good.begin(), good.begin() + static_cast<ptrdiff_t>(n)));
        EXPECT_THROW(img.ReadData(cut), EJPEG) << n;
    }
    // Frame headers asking for more than 2048 x 2048 pixels are refused at
    // load, before anything is sized from them: 65000 x 65000, and a wide
    // strip that a few hundred bytes can claim (65409 x 511).
    auto sized = [&](int w, int hgt) {
        std::vector<uint8_t> v = good;
        for (size_t i = 0; i + 9 < v.size(); ++i)
            if (v[i] == 0xFF && v[i + 1] == 0xC0) {
                v[i + 5] = static_cast<uint8_t>(hgt >> 8), v[i + 6] = static_cast<uint8_t>(hgt);
                v[i + 7] = static_cast<uint8_t>(w >> 8), v[i + 8] = static_cast<uint8_t>(w);
                break;
            }
        return v;
    };
    for (auto [w, hgt] : {std::pair{65000, 65000}, std::pair{65409, 511}, std::pair{2049, 2048}, std::pair{8192, 8192}}) {
        TMemoryStream h = JpegPayload(sized(w, hgt));
        try {
            img.ReadData(h);
            ADD_FAILURE() << w << " x " << hgt << " was accepted";
        } catch (const EJPEG& e) {
            EXPECT_EQ(e.Message(), JpegMessage(JERR_IMAGE_TOO_BIG)) << w << " x " << hgt;
        }
    }
    TMemoryStream largest = JpegPayload(sized(2048, 2048));
    img.ReadData(largest);
    EXPECT_EQ(img.Width(), 2048);
    EXPECT_EQ(img.Height(), 2048);
}

TEST(JPEGImage, LengthPastTheEndRaisesReadErrorBeforeAllocating) {
    const uint8_t bytes[] = {0xF0, 0xFF, 0xFF, 0xFF, 0xFF, 0xD8};
    TSpanStream s(bytes);
    TJPEGImage img;
    try {
        img.ReadData(s);
        FAIL();
    } catch (const EReadError& e) {
        EXPECT_EQ(e.Message(), "ストリームからの読み込みエラー");
    }
}

TEST(JPEGImage, StreamFailingAtFirstDrawRaisesOnceThenDrawsNothing) {
    // A second frame header before the end marker: the header reads fine,
    // the decoder fails when it reaches it.
    std::vector<uint8_t> jpeg = Encode(16, 16);
    const uint8_t sof[] = {0xFF, 0xC0, 0x00, 0x0B, 0x08, 0x00, 0x10, 0x00, 0x10, 0x01, 0x01, 0x11, 0x00};
    jpeg.insert(jpeg.end() - 2, std::begin(sof), std::end(sof));
    TJPEGImage img;
    TMemoryStream s = JpegPayload(jpeg);
    img.ReadData(s);
    TBitmap screen;
    screen.SetSize(20, 20);
    TCanvas canvas = screen.Canvas();
    try {
        canvas.Draw(0, 0, img);
        FAIL();
    } catch (const EJPEG& e) {
        EXPECT_EQ(e.Message(), JpegMessage(JERR_SOF_DUPLICATE));
    }
    EXPECT_TRUE(img.DecodeFailed());
    EXPECT_NO_THROW(canvas.Draw(0, 0, img));
    EXPECT_EQ(screen.Scanline(0)[0], 0u);
}

TEST(JPEGImage, LowColourDisplayQuantisesTo236Colours) {
    const std::vector<uint8_t> jpeg = Encode(64, 64);
    auto colours = [&](int displayBits) {
        TJPEGImage img;
        TMemoryStream s = JpegPayload(jpeg);
        img.ReadData(s);
        img.DIBNeeded(displayBits);
        const TPixelView v = img.View();
        return std::set<uint32_t>(v.pixels, v.pixels + v.width * v.height).size();
    };
    EXPECT_GT(colours(32), 236u);  // the image has more colours than the palette
    const size_t quantised = colours(8);
    EXPECT_LE(quantised, 236u);
    EXPECT_GT(quantised, 32u);
}

TEST(Picture, RegisteredKindsAreFoundByExactClassName) {
    RegisterStandardGraphics();
    const std::vector<uint8_t> jpeg = Encode(8, 8);
    auto payload = [&](const std::string& name) {
        TMemoryStream s;
        const uint8_t len = static_cast<uint8_t>(name.size());
        s.WriteBuffer(&len, 1);
        s.WriteBuffer(name.data(), name.size());
        s.WriteU32(static_cast<uint32_t>(jpeg.size()));
        s.WriteBuffer(jpeg.data(), jpeg.size());
        s.SetPosition(0);
        return s;
    };
    TPicture pic;
    TMemoryStream good = payload("TJPEGImage");
    pic.ReadData(good);
    ASSERT_NE(pic.Graphic(), nullptr);
    EXPECT_EQ(pic.Graphic()->ClassName(), "TJPEGImage");
    EXPECT_EQ(pic.Width(), 8);
    TMemoryStream other = payload("tjpegimage");
    pic.ReadData(other);
    EXPECT_EQ(pic.Graphic(), nullptr);
    EXPECT_NE(FindGraphicKind("TBitmap"), nullptr);
    EXPECT_NE(FindGraphicKind("TIcon"), nullptr);
}

}  // namespace
}  // namespace skr
