// Drawing-layer benchmarks: a 64 x 64 frame of a 1600 x 64 strip onto the
// 385 x 289 screen, beside plain memcpy of the same bytes; and the first
// drawing (full decode) of a 385 x 289 JPEG picture.
#include <benchmark/benchmark.h>

#include <cstring>
#include <vector>

#include "../tests/support/JpegImages.h"
#include "AllocationCounter.h"
#include "components/BmpList.h"
#include "core/Stream.h"
#include "gfx/Bitmap.h"
#include "gfx/JPEGImage.h"


namespace skr {
namespace {

constexpr int kScreenW = 385, kScreenH = 289;

TBitmap MakeScreen() {
    TBitmap screen;
    screen.SetSize(kScreenW, kScreenH);
    return screen;
}

void StripDraw(benchmark::State& state) {
    TBitmap strip;
    strip.SetSize(1600, 64);
    for (int y = 0; y < 64; ++y)
        for (int x = 0; x < 1600; ++x) strip.Scanline(y)[x] = uint32_t(x * 2654435761u + y);
    strip.Modified();
    TBitmapList list(nullptr);
    list.SetBitmap(&strip);
    list.SetNumImages(25);
    list.SetTransparent(state.range(0));
    TBitmap screen = MakeScreen();
    TCanvas canvas = screen.Canvas();
    const uint64_t before = bench::Allocations();
    int frame = 0;
    for (auto _ : state) {
        list.Draw(canvas, 128, 128, frame);
        frame = frame == 24 ? 0 : frame + 1;
        benchmark::ClobberMemory();
    }
    state.counters["allocs_per_draw"] =
        benchmark::Counter(double(bench::Allocations() - before) / double(state.iterations()));
    state.SetBytesProcessed(int64_t(state.iterations()) * 64 * 64 * 4);
}
BENCHMARK(StripDraw)->Arg(0)->ArgName("transparent")->Arg(1);

// The same 64 rows of 256 bytes, strip stride to screen stride.
void MemcpyFrame(benchmark::State& state) {
    std::vector<uint32_t> strip(1600 * 64, 1), screen(kScreenW * kScreenH, 0);
    int frame = 0;
    for (auto _ : state) {
        const uint32_t* src = strip.data() + frame * 64;
        uint32_t* dst = screen.data() + 128 * kScreenW + 128;
        for (int y = 0; y < 64; ++y) std::memcpy(dst + y * kScreenW, src + y * 1600, 64 * 4);
        frame = frame == 24 ? 0 : frame + 1;
        benchmark::ClobberMemory();
    }
    state.SetBytesProcessed(int64_t(state.iterations()) * 64 * 64 * 4);
}
BENCHMARK(MemcpyFrame);

// A 385 x 289 baseline picture laid out as the program's own: 4:4:4, one
// restart interval per row of blocks.
std::vector<uint8_t> EncodePicture() {
    auto pixel = [](int x, int y) {
        return uint32_t(x * 255 / kScreenW) << 16 | uint32_t(y * 255 / kScreenH) << 8 | uint32_t((x ^ y) & 0xFF);
    };
    return test::EncodeJpeg(kScreenW, kScreenH, pixel, {.quality = 90, .fullChroma = true, .restartInterval = 49});
}

// Load (header only) and first drawing (full decode) of a fresh picture.
void JpegFirstDraw(benchmark::State& state) {
    TMemoryStream payload = test::JpegPayload(EncodePicture());
    TBitmap screen = MakeScreen();
    TCanvas canvas = screen.Canvas();
    for (auto _ : state) {
        TJPEGImage img;
        payload.SetPosition(0);
        img.ReadData(payload);
        canvas.Draw(0, 0, img);
        benchmark::ClobberMemory();
    }
    state.counters["jpeg_bytes"] = double(payload.Size() - 4);
}
BENCHMARK(JpegFirstDraw)->Unit(benchmark::kMillisecond);

// Later drawings reuse the decoded image: a plain copy.
void JpegRedraw(benchmark::State& state) {
    TMemoryStream payload = test::JpegPayload(EncodePicture());
    payload.SetPosition(0);
    TJPEGImage img;
    img.ReadData(payload);
    TBitmap screen = MakeScreen();
    TCanvas canvas = screen.Canvas();
    canvas.Draw(0, 0, img);
    for (auto _ : state) {
        canvas.Draw(0, 0, img);
        benchmark::ClobberMemory();
    }
}
BENCHMARK(JpegRedraw)->Unit(benchmark::kMicrosecond);

}  // namespace
}  // namespace skr

BENCHMARK_MAIN();
