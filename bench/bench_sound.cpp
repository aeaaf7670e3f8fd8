// Starting a sound: TWavePlayer::Play must hand the clip over at once and
// allocate nothing. The SDL voice is measured too: the cost of Play and the
// delay from Play to the clip's first samples leaving the mixer (SDL's
// file-writing driver, paced in real time like a sound card), with the
// device open and with the device given up after a quiet while.
#include <benchmark/benchmark.h>

#include <chrono>
#include <cstdlib>
#include <thread>
#include <vector>

#include "../tests/support/WaveImages.h"
#include "AllocationCounter.h"
#include "components/WavePlay.h"
#include "platform/headless/HeadlessPlatform.h"
#include "platform/sdl/SdlVoice.h"

namespace {

using namespace skr;

// A mono 16-bit 22050 Hz image of the given length, like the program's clips.
std::vector<uint8_t> Clip(uint32_t frames) {
    std::vector<int16_t> samples(frames);
    for (uint32_t i = 0; i < frames; ++i) samples[i] = int16_t(uint16_t(i * 37));
    return test::WaveImage(test::Pcm16(samples));
}

void LoadClip(TWaveData& w, uint32_t frames) {
    TMemoryStream s(Clip(frames));
    w.LoadFromStream(s);
}

// Play against the headless backend. Its log grows with every request, so
// it is renewed (outside the timing) every 64k plays.
void BM_WavePlayerPlay_Headless(benchmark::State& state) {
    auto platform = std::make_unique<platform::HeadlessPlatform>();
    platform::SetActive(platform.get());
    TWavePlayer player(nullptr);
    LoadClip(*player.Wave(), uint32_t(state.range(0)));
    uint64_t n = 0;
    for (auto _ : state) {
        player.Play();
        if (++n % 65536 == 0) {
            state.PauseTiming();
            platform = std::make_unique<platform::HeadlessPlatform>();
            platform::SetActive(platform.get());
            state.ResumeTiming();
        }
    }
    platform::SetActive(nullptr);
}
BENCHMARK(BM_WavePlayerPlay_Headless)->Arg(2205)->Arg(45933);

// A platform whose voice only notes the request: what Play itself costs and
// allocates, without the headless log.
class VoiceOnly final : public platform::Platform {
public:
    const uint8_t* last = nullptr;
    uint32_t TickCount() override { return 0; }
    TSystemTime SystemTime() override { return {}; }
    bool PollEvent(platform::RawEvent&) override { return false; }
    void WaitEvent(uint32_t) override {}
    bool OpenWindow(const platform::WindowSpec&) override { return false; }
    void SetCaption(std::string_view) override {}
    void SetIcon(const platform::IconImage&) override {}
    void Show(platform::ShowState) override {}
    platform::ShowState LaunchShowState() override { return platform::ShowState::Normal; }
    void SetCapture(bool) override {}
    uint32_t DoubleClickTime() override { return 500; }
    int DoubleClickDistance() override { return 4; }
    int DisplayBitsPerPixel() override { return 32; }
    TPixelView Screen() override { return {}; }
    void Present(const TRect&) override {}
    void PlayWave(const uint8_t* image, size_t) override { last = image; }
    void ErrorBox(std::string_view, std::string_view) override {}
    std::string ModuleFileName() override { return {}; }
};

void BM_WavePlayerPlay_Allocations(benchmark::State& state) {
    VoiceOnly voice;
    platform::SetActive(&voice);
    TWavePlayer a(nullptr), b(nullptr);
    LoadClip(*a.Wave(), 45933);
    LoadClip(*b.Wave(), 1944);
    const uint64_t before = bench::Allocations();
    for (auto _ : state) {
        a.Play();
        b.Play();
        benchmark::DoNotOptimize(voice.last);
    }
    state.counters["allocs/play"] =
        benchmark::Counter(double(bench::Allocations() - before) / double(2 * state.iterations()));
    platform::SetActive(nullptr);
}
BENCHMARK(BM_WavePlayerPlay_Allocations);

struct DiskVoice {
    platform::SdlVoice voice;
    explicit DiskVoice(const char* delayMs) {
        setenv("SDL_AUDIODRIVER", "disk", 1);
        setenv("SDL_DISKAUDIOFILE", "/dev/null", 1);
        if (delayMs) setenv("SDL_DISKAUDIODELAY", delayMs, 1);
        else unsetenv("SDL_DISKAUDIODELAY");
        voice.Open();
    }
};

// The cost of starting a clip in the device format (no conversion).
void BM_SdlVoicePlay(benchmark::State& state) {
    DiskVoice disk("10");
    const std::vector<uint8_t> a = Clip(45933), b = Clip(1944);
    const uint64_t before = bench::Allocations();
    for (auto _ : state) {
        disk.voice.Play(a.data(), a.size());
        disk.voice.Play(b.data(), b.size());
    }
    state.counters["allocs/play"] =
        benchmark::Counter(double(bench::Allocations() - before) / double(2 * state.iterations()));
    if (!disk.voice.IsOpen()) state.SkipWithError("no audio device");
}
BENCHMARK(BM_SdlVoicePlay);

// From Play to the first samples of the clip taken by the mixer, with the
// disk driver paced at one buffer period per buffer like a sound card: on
// an open device (argument 0), and (1) after the voice has been quiet long
// enough to give its device up, so that Play opens it again first.
void BM_SdlVoicePlayToMixer(benchmark::State& state) {
    const bool afterQuiet = state.range(0) != 0;
    DiskVoice disk(nullptr);
    if (!disk.voice.IsOpen()) {
        state.SkipWithError("no audio device");
        return;
    }
    const std::vector<uint8_t> clip = Clip(45933);
    for (auto _ : state) {
        if (afterQuiet) {
            disk.voice.Stop();
            disk.voice.CloseWhenQuiet(SDL_GetTicks() + platform::SdlVoice::kQuietCloseMs + 1000);
            if (disk.voice.IsOpen()) state.SkipWithError("the quiet device stayed open");
        }
        const uint64_t started = disk.voice.ClipsStarted();
        const auto t0 = std::chrono::steady_clock::now();
        disk.voice.Play(clip.data(), clip.size());
        while (disk.voice.ClipsStarted() == started) std::this_thread::yield();
        const auto t1 = std::chrono::steady_clock::now();
        state.SetIterationTime(std::chrono::duration<double>(t1 - t0).count());
        // Land the next request at a different point of the buffer period.
        if (!afterQuiet) std::this_thread::sleep_for(std::chrono::microseconds(1700 + 3100 * (state.iterations() % 4)));
    }
}
BENCHMARK(BM_SdlVoicePlayToMixer)->Arg(0)->Arg(1)->UseManualTime()->Iterations(60)->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
