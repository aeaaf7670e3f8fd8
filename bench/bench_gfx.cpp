// Drawing-layer benchmarks: a 64 x 64 frame of a 1600 x 64 strip onto the
// 385 x 289 screen, beside plain memcpy of the same bytes; and the first
// drawing (full decode) of a 385 x 289 JPEG picture.
#include <benchmark/benchmark.h>

#include <atomic>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <new>
#include <vector>

#include <jpeglib.h>

#include "components/BmpList.h"
#include "core/Stream.h"
#include "gfx/Bitmap.h"
#include "gfx/JPEGImage.h"

// Counts allocations so the benchmarks can report allocations per draw.
// (GCC cannot see that the replaced new and delete pair malloc with free.)
#pragma GCC diagnostic ignored "-Wmismatched-new-delete"
static std::atomic<long> gAllocations{0};
void* operator new(std::size_t n) {
    gAllocations.fetch_add(1, std::memory_order_relaxed);
    if (void* p = std::malloc(n ? n : 1)) return p;
    throw std::bad_alloc();
}
void operator delete(void* p) noexcept { std::free(p); }
void operator delete(void* p, std::size_t) noexcept { std::free(p); }

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
    const long before = gAllocations.load();
    int frame = 0;
    for (auto _ : state) {
        list.Draw(canvas, 128, 128, frame);
        frame = frame == 24 ? 0 : frame + 1;
        benchmark::ClobberMemory();
    }
    state.counters["allocs_per_draw"] =
        benchmark::Counter(double(gAllocations.load() - before) / double(state.iterations()));
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
    jpeg_compress_struct c;
    jpeg_error_mgr err;
    c.err = jpeg_std_error(&err);
    jpeg_create_compress(&c);
    unsigned char* out = nullptr;
    unsigned long size = 0;
    jpeg_mem_dest(&c, &out, &size);
    c.image_width = kScreenW;
    c.image_height = kScreenH;
    c.input_components = 3;
    c.in_color_space = JCS_RGB;
    jpeg_set_defaults(&c);
    jpeg_set_quality(&c, 90, TRUE);
    for (int i = 0; i < 3; ++i) c.comp_info[i].h_samp_factor = c.comp_info[i].v_samp_factor = 1;
    c.restart_interval = 49;
    jpeg_start_compress(&c, TRUE);
    std::vector<JSAMPLE> row(kScreenW * 3);
    while (c.next_scanline < c.image_height) {
        const unsigned y = c.next_scanline;
        for (unsigned x = 0; x < kScreenW; ++x) {
            row[3 * x] = JSAMPLE(x * 255 / kScreenW);
            row[3 * x + 1] = JSAMPLE(y * 255 / kScreenH);
            row[3 * x + 2] = JSAMPLE((x ^ y) & 0xFF);
        }
        JSAMPROW r = row.data();
        jpeg_write_scanlines(&c, &r, 1);
    }
    jpeg_finish_compress(&c);
    jpeg_destroy_compress(&c);
    std::vector<uint8_t> bytes(out, out + size);
    std::free(out);
    return bytes;
}

TMemoryStream Payload(const std::vector<uint8_t>& jpeg) {
    TMemoryStream s;
    const uint32_t n = static_cast<uint32_t>(jpeg.size());
    s.WriteBuffer(&n, 4);
    s.WriteBuffer(jpeg.data(), jpeg.size());
    return s;
}

// Load (header only) and first drawing (full decode) of a fresh picture.
void JpegFirstDraw(benchmark::State& state) {
    TMemoryStream payload = Payload(EncodePicture());
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
    TMemoryStream payload = Payload(EncodePicture());
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
