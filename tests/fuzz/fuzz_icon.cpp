// Fuzz target: any byte string read as an icon file into a TIcon. A file it
// refuses raises its read or invalid-icon error and leaves the icon empty;
// a file it takes gives each chosen image in straight ARGB pixels of the
// size its header states (or an error), at every requested size and depth,
// writes back byte for byte, and draws onto a canvas clipped at every edge.
#include <cstdint>
#include <cstring>

#include "FuzzCheck.h"
#include "core/Exception.h"
#include "core/Stream.h"
#include "gfx/Icon.h"

using namespace skr;
using namespace skr::fuzz;

namespace {

// Decodes, accepting only the two documented errors of a damaged image;
// an image that comes out has the size reported with it.
template <class Fn>
void Decoded(const char* what, Fn&& decode) {
    int w = -1, h = -1;
    std::vector<uint32_t> argb;
    try {
        argb = decode(w, h);
    } catch (const EReadError& e) {
        if (e.Message() != kReadError) Unexpected(what, e.Message());
        return;
    } catch (const EInvalidGraphic& e) {
        if (e.Message() != kInvalidIcon) Unexpected(what, e.Message());
        return;
    }
    if (argb.empty()) {
        SKR_FUZZ_CHECK(w == 0 && h == 0);
        return;
    }
    SKR_FUZZ_CHECK(w > 0 && h > 0 && w <= 1024 && h <= 1024);
    SKR_FUZZ_CHECK(argb.size() == size_t(w) * size_t(h));
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    TIcon icon;
    try {
        TSpanStream in({data, size});
        icon.ReadData(in);
    } catch (const EReadError& e) {
        SKR_FUZZ_CHECK(e.Message() == kReadError);
        SKR_FUZZ_CHECK(icon.Empty() && icon.ImageCount() == 0);
        return 0;
    } catch (const EInvalidGraphic& e) {
        SKR_FUZZ_CHECK(e.Message() == kInvalidIcon);
        SKR_FUZZ_CHECK(icon.Empty() && icon.ImageCount() == 0);
        return 0;
    }
    SKR_FUZZ_CHECK(icon.Empty() == (size == 0));
    {
        TMemoryStream out;
        icon.WriteData(out);
        SKR_FUZZ_CHECK(out.Size() == size && (size == 0 || std::memcmp(out.Memory(), data, size) == 0));
    }
    const int count = icon.ImageCount();
    SKR_FUZZ_CHECK(count >= 0 && count <= 65535);
    SKR_FUZZ_CHECK((icon.ChooseImage(32, 32) < 0) == (count == 0));

    // The images the window and the desktop ask for, and a few others.
    const int sizes[] = {32, 16, 48, 256, 0, -1, 1024, 100000};
    const int depths[] = {32, 24, 8, 4, 1, 0};
    for (int s : sizes)
        for (int bits : depths) {
            const int chosen = icon.ChooseImage(s, bits);
            SKR_FUZZ_CHECK(chosen >= -1 && chosen < count);
            if (s == 32 || bits == 32) Decoded("ToArgb", [&](int& w, int& h) { return icon.ToArgb(s, w, h, bits); });
        }
    // Every image of a short directory by index (a long one repeats them),
    // and indexes outside it.
    for (int i = 0; i < count && i < 16; ++i) Decoded("DecodeImage", [&](int& w, int& h) { return icon.DecodeImage(i, w, h); });
    Decoded("DecodeImage", [&](int& w, int& h) { return icon.DecodeImage(-1, w, h); });
    Decoded("DecodeImage", [&](int& w, int& h) { return icon.DecodeImage(count, w, h); });

    // Drawn at its own size onto a canvas, partly off every edge, clipped,
    // and onto a canvas without pixels.
    const int w = icon.Width(), h = icon.Height();
    SKR_FUZZ_CHECK(count == 0 || (w >= 1 && w <= 256 && h >= 1 && h <= 256));
    GuardedSurface surface(40, 36);
    TCanvas canvas(surface.View());
    canvas.CopyMode = TCopyMode::cmSrcInvert;  // the icon draws as a plain copy whatever the mode
    const TPoint places[] = {{0, 0}, {-w / 2, -h / 2}, {40 - w / 2, 36 - h / 2}, {4, 4}, {INT32_MAX - 2, INT32_MAX - 1},
                             {INT32_MIN, INT32_MIN}, {INT32_MAX, 0}, {0, INT32_MIN + 1}};
    for (const TPoint& at : places) {
        try {
            canvas.Draw(at.x, at.y, icon);
        } catch (const Exception& e) {
            if (e.Message() != kReadError && e.Message() != kInvalidIcon) Unexpected("Draw", e.Message());
        }
    }
    SKR_FUZZ_CHECK(canvas.CopyMode == TCopyMode::cmSrcInvert);
    const TRect clip[] = {{1, 1, 9, 9}, {30, -4, 50, 6}};
    canvas.SetClip(clip);
    try {
        canvas.Draw(-3, -3, icon);
    } catch (const Exception& e) {
        if (e.Message() != kReadError && e.Message() != kInvalidIcon) Unexpected("Draw", e.Message());
    }
    SKR_FUZZ_CHECK(surface.GuardsIntact());
    TCanvas nowhere;
    try {
        nowhere.Draw(0, 0, icon);
    } catch (const Exception& e) {
        if (e.Message() != kReadError && e.Message() != kInvalidIcon) Unexpected("Draw", e.Message());
    }
    return 0;
}
