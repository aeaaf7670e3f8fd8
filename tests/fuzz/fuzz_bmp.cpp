// Fuzz target: any byte string loaded as a BMP file into a TBitmap. A file
// the codec refuses raises one of its two errors and leaves the bitmap as it
// was; a file it takes decodes within the side limit, draws onto a canvas
// with every copy mode (clipped at every edge), writes back byte for byte,
// and once drawn into writes a 24-bit file that reads back to the same
// pixels.
#include <cstdint>
#include <cstring>

#include "FuzzCheck.h"
#include "core/Exception.h"
#include "core/Stream.h"
#include "gfx/Bitmap.h"

using namespace skr;
using namespace skr::fuzz;

namespace {

void DrawEverywhere(TBitmap& bmp) {
    GuardedSurface surface(48, 40);
    TCanvas canvas(surface.View());
    const int w = bmp.Width(), h = bmp.Height();
    const TRect all{0, 0, w, h};
    const TCopyMode modes[] = {TCopyMode::cmSrcCopy, TCopyMode::cmSrcAnd, TCopyMode::cmSrcPaint, TCopyMode::cmSrcInvert};
    const TPoint places[] = {{0, 0},  {-w / 2, -h / 2}, {48 - w / 2, 40 - h / 2}, {-w + 1, 39},
                             {47, -h + 1}, {5, 7}, {INT32_MAX - 1, INT32_MAX}, {INT32_MIN, INT32_MIN + 2}};
    for (TCopyMode mode : modes) {
        canvas.CopyMode = mode;
        for (const TPoint& at : places) canvas.CopyRect(Bounds(at.x, at.y, w, h), bmp, all);
    }
    canvas.CopyMode = TCopyMode::cmSrcCopy;
    // A source rectangle reaching past the bitmap copies only what lies inside.
    canvas.CopyRect(TRect{0, 0, 48, 40}, bmp, TRect{w - 3, h - 3, w + 45, h + 37});
    canvas.CopyRect(TRect{3, 3, 40, 30}, bmp, TRect{-10, -10, 27, 17});
    const uint32_t key = bmp.KeyPixel();
    for (const TPoint& at : places) canvas.TransparentCopy(Bounds(at.x, at.y, w, h), bmp, all, key);
    // Clipped to a few rectangles, one of them off the surface.
    const TRect clip[] = {{2, 2, 10, 10}, {20, 0, 60, 8}, {-5, 30, 6, 45}};
    canvas.SetClip(clip);
    canvas.Draw(-1, -1, bmp);
    canvas.ResetClip();
    canvas.Draw(1, 1, bmp);
    SKR_FUZZ_CHECK(surface.GuardsIntact());
    const TRect changed = canvas.TakeChanged();
    SKR_FUZZ_CHECK((TRect{0, 0, 48, 40}.Contains(changed)));
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    TBitmap bmp;
    bmp.SetSize(3, 2);
    bmp.Scanline(1)[0] = 0x123456;
    try {
        TSpanStream in({data, size});
        bmp.LoadFromStream(in);
    } catch (const EInvalidGraphic& e) {
        SKR_FUZZ_CHECK(e.Message() == kInvalidBitmap);
        SKR_FUZZ_CHECK(bmp.Width() == 3 && bmp.Height() == 2 && bmp.Scanline(1)[0] == 0x123456);
        return 0;
    } catch (const EReadError& e) {
        SKR_FUZZ_CHECK(e.Message() == kReadError);
        SKR_FUZZ_CHECK(bmp.Width() == 3 && bmp.Height() == 2 && bmp.Scanline(1)[0] == 0x123456);
        return 0;
    }
    const int w = bmp.Width(), h = bmp.Height();
    SKR_FUZZ_CHECK(w > 0 && h > 0 && w <= 32768 && h <= 32768);
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x) SKR_FUZZ_CHECK((bmp.Scanline(y)[x] >> 24) == 0);

    // Written back unchanged, alone and inside a payload.
    {
        TMemoryStream out;
        bmp.SaveToStream(out);
        SKR_FUZZ_CHECK(out.Size() == size && std::memcmp(out.Memory(), data, size) == 0);
        TMemoryStream payload;
        bmp.WriteData(payload);
        payload.SetPosition(0);
        TBitmap copy;
        copy.ReadData(payload);
        SKR_FUZZ_CHECK(copy.Width() == w && copy.Height() == h);
        SKR_FUZZ_CHECK(std::memcmp(copy.Scanline(0), bmp.Scanline(0), sizeof(uint32_t) * size_t(w) * h) == 0);
    }

    DrawEverywhere(bmp);

    // Drawn into, it writes its own 24-bit file, which reads back the same.
    {
        TCanvas own = bmp.Canvas();
        own.Brush.Color = static_cast<TColor>(0x00FF8000);
        own.FillRect(TRect{0, 0, 1, 1});
        bmp.Modified();
        TMemoryStream out;
        bmp.SaveToStream(out);
        out.SetPosition(0);
        TBitmap again;
        again.LoadFromStream(out);
        SKR_FUZZ_CHECK(again.Width() == w && again.Height() == h);
        SKR_FUZZ_CHECK(std::memcmp(again.Scanline(0), bmp.Scanline(0), sizeof(uint32_t) * size_t(w) * h) == 0);
    }
    return 0;
}
