// Fuzz target: any byte string as an in-memory WAVE image. The facts reader
// either refuses it or finds facts and a "data" chunk lying inside the
// image; the page's conversion to float samples stays inside it; the
// headless voice logs it with the playing time those facts give; the SDL
// voice (on SDL's dummy audio driver, opened once) plays it, through its
// conversion path when the layout is not the device's, or stays silent for
// what it cannot play, and stops.
#include <cstdlib>
#include <vector>

#include "FuzzCheck.h"
#include "platform/WaveImage.h"
#include "platform/headless/HeadlessPlatform.h"
#if SKR_FUZZ_SDL_VOICE
#include "platform/sdl/SdlVoice.h"
#endif

using namespace skr;
using namespace skr::fuzz;
using platform::ParseWave;
using platform::WaveInfo;

namespace {

void CheckFacts(const uint8_t* data, size_t size) {
    const std::optional<WaveInfo> info = ParseWave(data, size);
    if (!info) return;
    SKR_FUZZ_CHECK(size >= 12 + 8 + 16 + 8);
    // The samples lie inside the image, after its "fmt " and "data" headers.
    SKR_FUZZ_CHECK(info->data >= data + 12 + 8 + 16 + 8 && info->data <= data + size);
    SKR_FUZZ_CHECK(info->dataSize <= size_t(data + size - info->data));
    const uint64_t ms = info->DurationMs();
    if (info->avgBytesPerSec == 0) SKR_FUZZ_CHECK(ms == 0);
    else SKR_FUZZ_CHECK(ms == (uint64_t(info->dataSize) * 1000 + info->avgBytesPerSec - 1) / info->avgBytesPerSec);
    // The page's conversion reads whole frames of the data chunk only, and
    // every sample it gives is in [-1, 1].
    std::vector<float> planar;
    const size_t frames = platform::ToPlanarFloat(*info, planar, size_t(1) << 16);
    SKR_FUZZ_CHECK(frames == 0 || (planar.size() == frames * info->channels && frames * info->blockAlign <= info->dataSize));
    for (const float f : planar) SKR_FUZZ_CHECK(f >= -1.0f && f <= 1.0f);
}

#if SKR_FUZZ_SDL_VOICE
platform::SdlVoice& Voice() {
    static platform::SdlVoice voice;
    static const bool opened = [] {
        // No sound card: SDL's dummy driver consumes the mixed samples in
        // real time on its audio thread, as a device would.
        setenv("SDL_AUDIODRIVER", "dummy", 1);
        return voice.Open();
    }();
    SKR_FUZZ_CHECK(opened);
    return voice;
}

// Whether the voice takes the image at all (the layouts it documents).
bool Playable(const uint8_t* data, size_t size) {
    const std::optional<WaveInfo> info = ParseWave(data, size);
    if (!info) return false;
    using platform::SdlVoice;
    if (info->channels < 1 || info->channels > SdlVoice::kMaxChannels || info->samplesPerSec < SdlVoice::kMinRate ||
        info->samplesPerSec > SdlVoice::kMaxRate)
        return false;
    const bool pcm = info->formatTag == 1 && (info->bitsPerSample == 8 || info->bitsPerSample == 16 || info->bitsPerSample == 32);
    const bool flt = info->formatTag == 3 && info->bitsPerSample == 32;
    if (!pcm && !flt) return false;
    const size_t frame = size_t(info->channels) * (info->bitsPerSample / 8);
    return info->blockAlign == frame && info->dataSize >= frame;
}

void PlayOnSdl(const uint8_t* data, size_t size) {
    platform::SdlVoice& voice = Voice();
    voice.Play(data, size);
    if (!Playable(data, size)) SKR_FUZZ_CHECK(!voice.Sounding());
    // A second request replaces the first; half the image may still play.
    voice.Play(data, size / 2);
    if (!Playable(data, size / 2)) SKR_FUZZ_CHECK(!voice.Sounding());
    voice.Play(nullptr, 0);
    SKR_FUZZ_CHECK(!voice.Sounding());
    voice.Play(data, size);
    voice.Stop();
    SKR_FUZZ_CHECK(!voice.Sounding());
}
#endif

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    CheckFacts(data, size);
    // The facts of every shorter image come from the bytes it still has.
    CheckFacts(data, size / 2);
    CheckFacts(data, size > 0 ? size - 1 : 0);
    SKR_FUZZ_CHECK(!ParseWave(nullptr, size));

    platform::HeadlessPlatform headless;
    headless.PlayWave(data, size);
    SKR_FUZZ_CHECK(headless.Sounds().size() == 1);
    const auto info = ParseWave(data, size);
    const uint32_t expected = info && info->formatTag == 1 && size ? info->DurationMs() : 0;
    SKR_FUZZ_CHECK(headless.Sounds()[0].durationMs == expected);

#if SKR_FUZZ_SDL_VOICE
    PlayOnSdl(data, size);
#endif
    return 0;
}
