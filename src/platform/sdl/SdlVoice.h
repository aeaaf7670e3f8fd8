// The one sound voice of the SDL backend. Plays an in-memory RIFF WAVE image
// without blocking: one clip at a time, a new request stops the sounding
// one, a null request only stops, an image it cannot play gives silence.
// PCM in the device's format (22050 Hz, mono, 16-bit, as the program's clips
// are) is mixed straight from the caller's bytes, which must stay valid until
// the clip ends or is replaced; other PCM layouts are converted once, at
// Play, into a buffer the voice owns.
//
// An open SDL device costs a wake-up of its audio thread every buffer
// period, even paused and silent. So the device is closed once the voice has
// been quiet for a while (CloseWhenQuiet, from the event thread's waits) and
// opened again at the next Play; SDL's audio itself stays initialised, so
// opening again is only the device's own open. Closing a device waits for
// its audio thread to end (and for the sound server), so that close runs on
// a thread of its own: the event thread never waits for it, and an open
// waits only for a close that is still running.
#pragma once

#include <SDL.h>

#include <atomic>
#include <cstddef>
#include <cstdint>
#include <thread>
#include <vector>

namespace skr::platform {

class SdlVoice {
public:
    // The device format: that of the program's clips, so they need no
    // conversion. A short buffer keeps the delay from Play to the first
    // sample leaving the mixer near one buffer period (256 frames ~ 11.6 ms).
    static constexpr int kRate = 22050;
    static constexpr int kChannels = 1;
    static constexpr SDL_AudioFormat kFormat = AUDIO_S16LSB;
    static constexpr int kBufferFrames = 256;
    // The PCM layouts the voice plays: 1 to 8 channels at 1,000 to 192,000
    // samples per second (beyond any recording this program could carry);
    // anything else is silence.
    static constexpr uint16_t kMaxChannels = 8;
    static constexpr uint32_t kMinRate = 1000;
    static constexpr uint32_t kMaxRate = 192000;
    // Largest converted clip the voice will hold (about 12 minutes at the
    // device format); a bigger one is not played.
    static constexpr size_t kMaxConvertedBytes = 32u << 20;
    // How long the device stays open after the last clip has ended: longer
    // than the gaps between a game's sounds, so a game keeps it open.
    static constexpr uint32_t kQuietCloseMs = 3000;
    static constexpr uint32_t kNever = 0xFFFFFFFFu;

    SdlVoice() = default;
    ~SdlVoice();
    SdlVoice(const SdlVoice&) = delete;
    SdlVoice& operator=(const SdlVoice&) = delete;

    // Starts SDL's audio and opens the default output device. Returns false
    // when there is no usable device; the voice then stays silent.
    bool Open();
    // Stops the sound and releases the device and SDL's audio.
    void Close();
    bool IsOpen() const noexcept { return device_ != 0; }
    // Whether Open found a device (which may be closed while quiet).
    bool Available() const noexcept { return available_; }

    // Stops what sounds and starts the image; null or size 0 only stops.
    // Opens the device again if it was closed while quiet.
    void Play(const uint8_t* image, size_t size);
    // At tick `now` (ms): closes the device when it has been quiet for
    // kQuietCloseMs, and returns how many ms until it should be asked again
    // (kNever while the device is closed).
    uint32_t CloseWhenQuiet(uint32_t now);
    void Stop() noexcept;

    // Whether a clip still has samples left to mix.
    bool Sounding() const noexcept;
    // How many clips have had their first samples mixed so far; for
    // measuring the delay from Play to output.
    uint64_t ClipsStarted() const noexcept { return started_.load(std::memory_order_acquire); }

private:
    static void SDLCALL Mix(void* self, Uint8* out, int len);
    // Converts PCM of another layout to the device format into converted_;
    // false when SDL cannot convert it or the result would be too large.
    bool Convert(SDL_AudioFormat format, int channels, int rate, const uint8_t* data, size_t size);
    bool OpenDevice();
    // Silences the device and closes it, waiting for the close, or on the
    // closer thread.
    void CloseDevice(bool wait);
    void JoinCloser();

    SDL_AudioDeviceID device_ = 0;
    bool audioInit_ = false;
    bool available_ = false;
    uint32_t quietFrom_ = 0;  // tick at which the last clip has been mixed
    Uint8 silence_ = 0;
    // The sounding clip, shared with the audio thread under the device lock.
    const uint8_t* cur_ = nullptr;
    size_t left_ = 0;
    bool fresh_ = false;  // nothing of cur_ mixed yet
    std::atomic<uint64_t> started_{0};
    std::vector<uint8_t> converted_;  // owned samples of a converted clip
    std::thread closer_;              // closing a quiet device
};

}  // namespace skr::platform
