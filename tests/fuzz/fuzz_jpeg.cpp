// Fuzz target: any byte string as the JPEG stream of a TJPEGImage picture
// payload. Loading reads the header only and either takes the picture
// (within the size cap) or raises EJPEG and leaves it empty; the first draw
// decodes it in full, at 32 bits per pixel and quantised for an 8-bit
// display, or raises EJPEG once, after which draws draw nothing.
#include <cstdint>
#include <cstring>
#include <vector>

#include "FuzzCheck.h"
#include "core/Exception.h"
#include "core/Stream.h"
#include "gfx/JPEGImage.h"
#include "support/JpegImages.h"

using namespace skr;
using namespace skr::fuzz;

namespace {

constexpr int64_t kMaxPixels = int64_t{2048} * 2048;

// Draws a copy of the picture the way a repaint does, at one display depth.
void DrawAt(const TJPEGImage& loaded, int bits) {
    TJPEGImage jpeg;
    jpeg.Assign(&loaded);  // reads the same header again: cannot fail now
    SKR_FUZZ_CHECK(jpeg.Width() == loaded.Width() && jpeg.Height() == loaded.Height());
    const int w = jpeg.Width(), h = jpeg.Height();
    GuardedSurface surface(40, 30);
    TCanvas canvas(surface.View());
    canvas.SetDisplayBitsPerPixel(bits);
    bool failed = false;
    try {
        canvas.Draw(-w / 2, -h / 2, jpeg);
    } catch (const EJPEG& e) {
        if (!IsJpegError(e.Message())) Unexpected("first draw", e.Message());
        failed = true;
    }
    SKR_FUZZ_CHECK(failed == jpeg.DecodeFailed());
    SKR_FUZZ_CHECK(failed != jpeg.Decoded());
    // Later draws never raise: the decoded image again, or nothing.
    canvas.Draw(40 - w / 2, 30 - h / 2, jpeg);
    const TRect clip[] = {{0, 0, 7, 7}, {33, 20, 50, 40}};
    canvas.SetClip(clip);
    canvas.Draw(3, 3, jpeg);
    canvas.ResetClip();
    canvas.Draw(INT32_MAX - 1, INT32_MAX, jpeg);
    canvas.Draw(INT32_MIN, INT32_MIN + 1, jpeg);
    SKR_FUZZ_CHECK(surface.GuardsIntact());
    if (failed) return;
    const TPixelView v = jpeg.View();
    SKR_FUZZ_CHECK(v.width == w && v.height == h && v.stride == w && v.pixels);
    // Over every pixel without a branch (a compare in this loop would cost
    // the fuzzer a callback per pixel): no bits above 0x00FFFFFF, and for a
    // greyscale stream, quantised or not, three equal bytes (p ^ p >> 8 then
    // keeps only the top byte).
    uint32_t high = 0, notGrey = 0;
    const uint32_t* px = v.pixels;
    for (size_t i = 0, n = size_t(w) * size_t(h); i < n; ++i) {
        high |= px[i];
        notGrey |= (px[i] ^ px[i] >> 8) & 0xFFFF;
    }
    SKR_FUZZ_CHECK((high >> 24) == 0);
    if (jpeg.Grayscale()) SKR_FUZZ_CHECK(notGrey == 0);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    TJPEGImage jpeg;
    try {
        TMemoryStream payload = test::JpegPayload(std::vector<uint8_t>(data, data + size));
        jpeg.ReadData(payload);
        SKR_FUZZ_CHECK(payload.Position() == payload.Size());
    } catch (const EJPEG& e) {
        if (!IsJpegError(e.Message())) Unexpected("load", e.Message());
        SKR_FUZZ_CHECK(jpeg.Empty() && jpeg.Width() == 0 && jpeg.Height() == 0);
        return 0;
    }
    SKR_FUZZ_CHECK(jpeg.Empty() == (size == 0));
    if (jpeg.Empty()) {
        SKR_FUZZ_CHECK(jpeg.Width() == 0 && jpeg.Height() == 0);
        return 0;
    }
    SKR_FUZZ_CHECK(jpeg.Width() > 0 && jpeg.Height() > 0);
    SKR_FUZZ_CHECK(int64_t{jpeg.Width()} * jpeg.Height() <= kMaxPixels);
    SKR_FUZZ_CHECK(!jpeg.Decoded() && !jpeg.DecodeFailed());
    {
        TMemoryStream out;
        jpeg.WriteData(out);
        SKR_FUZZ_CHECK(out.Size() == size + 4 && std::memcmp(out.Memory() + 4, data, size) == 0);
    }
    DrawAt(jpeg, 32);
    DrawAt(jpeg, 8);
    return 0;
}
