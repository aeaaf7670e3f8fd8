#include "platform/sdl/SdlVoice.h"

#include <algorithm>
#include <cstring>
#include <optional>

#include "platform/WaveImage.h"

namespace skr::platform {
namespace {
constexpr uint16_t kTagPcm = 1;
constexpr uint16_t kTagFloat = 3;

// The SDL sample format of a WAVE "fmt " chunk, or 0 when SDL has none.
SDL_AudioFormat SampleFormat(uint16_t tag, uint16_t bits) {
    if (tag == kTagPcm) {
        switch (bits) {
            case 8: return AUDIO_U8;
            case 16: return AUDIO_S16LSB;
            case 32: return AUDIO_S32LSB;
            default: return 0;
        }
    }
    if (tag == kTagFloat && bits == 32) return AUDIO_F32LSB;
    return 0;
}
}  // namespace

SdlVoice::~SdlVoice() { Close(); }

bool SdlVoice::Open() {
    if (device_) return true;
    if (!audioInit_) {
        if (SDL_InitSubSystem(SDL_INIT_AUDIO) != 0) return false;
        audioInit_ = true;
    }
    if (!OpenDevice()) {
        SDL_QuitSubSystem(SDL_INIT_AUDIO);
        audioInit_ = false;
        return false;
    }
    available_ = true;
    quietFrom_ = SDL_GetTicks();
    return true;
}

bool SdlVoice::OpenDevice() {
    JoinCloser();  // one device at a time, and the mixer's state is the new one's
    SDL_AudioSpec want{};
    want.freq = kRate;
    want.format = kFormat;
    want.channels = kChannels;
    want.samples = kBufferFrames;
    want.callback = &SdlVoice::Mix;
    want.userdata = this;
    SDL_AudioSpec have{};
    // No changes allowed: SDL adapts the device to this format itself, so the
    // mixer always sees the clips' own format.
    device_ = SDL_OpenAudioDevice(nullptr, 0, &want, &have, 0);
    if (!device_) return false;
    silence_ = have.silence;
    SDL_PauseAudioDevice(device_, 0);
    return true;
}

void SdlVoice::CloseDevice(bool wait) {
    if (device_) {
        // From here the device mixes silence: nothing of the voice is read
        // any more, whenever its audio thread ends.
        SDL_LockAudioDevice(device_);
        cur_ = nullptr;
        left_ = 0;
        SDL_UnlockAudioDevice(device_);
        const SDL_AudioDeviceID device = device_;
        device_ = 0;
        JoinCloser();
        // Closing waits for the audio thread to end.
        if (wait) SDL_CloseAudioDevice(device);
        else closer_ = std::thread([device] { SDL_CloseAudioDevice(device); });
    }
}

void SdlVoice::JoinCloser() {
    if (closer_.joinable()) closer_.join();
}

uint32_t SdlVoice::CloseWhenQuiet(uint32_t now) {
    if (!device_) return kNever;
    if (Sounding()) return kQuietCloseMs;
    // Signed, as tick differences wrap with the 32-bit counter: the mixer
    // takes a clip's last samples a buffer period before they have played,
    // so the quiet may still be ahead (negative).
    const int64_t quiet = static_cast<int32_t>(now - quietFrom_);
    if (quiet < int64_t{kQuietCloseMs}) return static_cast<uint32_t>(int64_t{kQuietCloseMs} - quiet);
    CloseDevice(false);
    return kNever;
}

void SdlVoice::Close() {
    CloseDevice(true);
    JoinCloser();
    available_ = false;
    converted_.clear();
    converted_.shrink_to_fit();
    if (audioInit_) {
        SDL_QuitSubSystem(SDL_INIT_AUDIO);
        audioInit_ = false;
    }
}

void SdlVoice::Stop() noexcept {
    if (!device_) return;
    SDL_LockAudioDevice(device_);
    const bool cut = left_ > 0;
    cur_ = nullptr;
    left_ = 0;
    SDL_UnlockAudioDevice(device_);
    if (cut) quietFrom_ = SDL_GetTicks();
}

bool SdlVoice::Sounding() const noexcept {
    if (!device_) return false;
    SDL_LockAudioDevice(device_);
    const bool sounding = left_ > 0;
    SDL_UnlockAudioDevice(device_);
    return sounding;
}

void SdlVoice::Play(const uint8_t* image, size_t size) {
    // Whatever sounds stops first, also when the new image cannot be played.
    Stop();
    if (!available_ || !image || size == 0) return;
    const std::optional<WaveInfo> info = ParseWave(image, size);
    // Only formats inside these bounds reach SDL: its resampler and channel
    // converter take them as int and Uint8 and compute buffer sizes from
    // them (a rate of millions overflows into a negative allocation).
    if (!info || info->channels < 1 || info->channels > kMaxChannels || info->samplesPerSec < kMinRate ||
        info->samplesPerSec > kMaxRate)
        return;
    const SDL_AudioFormat format = SampleFormat(info->formatTag, info->bitsPerSample);
    if (!format) return;
    const size_t frameBytes = size_t(info->channels) * (info->bitsPerSample / 8);
    if (info->blockAlign != frameBytes) return;
    // Only whole sample frames are played (a lying data size may cut one).
    const size_t dataBytes = info->dataSize - info->dataSize % frameBytes;
    if (dataBytes == 0) return;

    const uint8_t* samples = info->data;
    size_t bytes = dataBytes;
    if (format != kFormat || info->channels != kChannels || info->samplesPerSec != uint32_t(kRate)) {
        if (!Convert(format, info->channels, static_cast<int>(info->samplesPerSec), samples, dataBytes)) return;
        samples = converted_.data();
        bytes = converted_.size();
    }
    if (!device_ && !OpenDevice()) return;
    SDL_LockAudioDevice(device_);
    cur_ = samples;
    left_ = bytes;
    fresh_ = true;
    SDL_UnlockAudioDevice(device_);
    // The clip has been mixed by then (give or take a buffer period).
    const uint64_t ms = uint64_t(bytes) * 1000 / (uint64_t(kRate) * kChannels * (SDL_AUDIO_BITSIZE(kFormat) / 8));
    quietFrom_ = SDL_GetTicks() + static_cast<uint32_t>(std::min<uint64_t>(ms, 1u << 30));
}

bool SdlVoice::Convert(SDL_AudioFormat format, int channels, int rate, const uint8_t* data, size_t size) {
    // The voice is stopped, so the audio thread no longer reads converted_.
    converted_.clear();
    if (size > size_t(INT32_MAX)) return false;
    const size_t frameBytes = size_t(channels) * (SDL_AUDIO_BITSIZE(format) / 8);
    const double outBytes =
        double(size / frameBytes) * kRate / rate * kChannels * (SDL_AUDIO_BITSIZE(kFormat) / 8);
    if (outBytes > double(kMaxConvertedBytes)) return false;
    SDL_AudioStream* stream = SDL_NewAudioStream(format, static_cast<Uint8>(channels), rate, kFormat, kChannels, kRate);
    if (!stream) return false;
    converted_.reserve(static_cast<size_t>(outBytes) + 4096);
    // Fed in small pieces and drained after each: this SDL's stream loses
    // samples when one large put is resampled upwards.
    const size_t piece = frameBytes * 256;
    bool ok = true;
    auto drain = [&] {
        while (ok) {
            const int available = SDL_AudioStreamAvailable(stream);
            if (available <= 0) return;
            const size_t at = converted_.size();
            if (at + size_t(available) > kMaxConvertedBytes) {
                ok = false;
                return;
            }
            converted_.resize(at + size_t(available));
            const int got = SDL_AudioStreamGet(stream, converted_.data() + at, available);
            converted_.resize(at + size_t(got > 0 ? got : 0));
            if (got < 0) ok = false;
            if (got <= 0) return;
        }
    };
    for (size_t at = 0; ok && at < size; at += piece) {
        const size_t n = std::min(piece, size - at);
        ok = SDL_AudioStreamPut(stream, data + at, static_cast<int>(n)) == 0;
        drain();
    }
    if (ok) ok = SDL_AudioStreamFlush(stream) == 0;
    drain();
    ok = ok && !converted_.empty();
    SDL_FreeAudioStream(stream);
    if (!ok) converted_.clear();
    return ok;
}

void SDLCALL SdlVoice::Mix(void* self, Uint8* out, int len) {
    // Runs on SDL's audio thread with the device lock held.
    auto* v = static_cast<SdlVoice*>(self);
    const size_t want = static_cast<size_t>(len);
    const size_t n = std::min(want, v->left_);
    if (n) {
        std::memcpy(out, v->cur_, n);
        v->cur_ += n;
        v->left_ -= n;
        if (v->fresh_) {
            v->fresh_ = false;
            v->started_.fetch_add(1, std::memory_order_release);
        }
        if (v->left_ == 0) v->cur_ = nullptr;
    }
    if (n < want) std::memset(out + n, v->silence_, want - n);
}

}  // namespace skr::platform
