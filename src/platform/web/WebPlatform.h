// The browser backend of the platform seam, for WebAssembly builds: a
// <canvas> as the window, the page's mouse events on it as raw input, the
// 32-bit screen surface copied to the canvas by rectangle, the page's
// monotonic clock as the tick counter, one WebAudio voice, and a modal
// dialog in the page as the error box. The JavaScript side is the library
// WebPlatform.js, linked with --js-library.
//
// The voice starts a clip in the turn it is asked to: the first time a clip
// is played, its samples are converted here and made into an AudioBuffer of
// the page's, which every later play of the same bytes starts again. Only a
// layout this does not convert goes through the browser's decoder, which
// takes a while (a request that comes meanwhile supersedes it).
//
// Waiting suspends the program with Asyncify: WaitEvent until the shell's
// deadline or the next input event, and PollEvent with an empty queue now
// and then for an instant, so that a handler polling in a loop (the game's
// busy wait) still lets the browser deliver presses, draw and run timers.
//
// What it does not do: minimise or maximise (a page cannot; a hidden tab
// is reported as minimised), honour a launcher's show request, read any
// double-click settings (the classic ones), or know a path of the program
// (its module name is "skrundle").
#pragma once

#include <cstdint>
#include <vector>

#include "platform/Platform.h"
#include "platform/WaveImage.h"

namespace skr::platform {

class WebPlatform final : public Platform {
public:
    WebPlatform();
    ~WebPlatform() override;
    WebPlatform(const WebPlatform&) = delete;
    WebPlatform& operator=(const WebPlatform&) = delete;

    // An empty poll gives the browser its turn when this much time has
    // passed since the program last let it run.
    static constexpr double kYieldEveryMs = 4.0;
    // The clips the page keeps as buffers (the program has four), and the
    // layouts it converts: the rates and channels every engine's buffers
    // take, and up to 8 Mi samples (32 MiB of floats) a clip.
    static constexpr size_t kMaxClips = 8;
    static constexpr uint16_t kMaxClipChannels = 8;
    static constexpr uint32_t kMinClipRate = 8000, kMaxClipRate = 96000;
    static constexpr size_t kMaxClipSamples = size_t(8) << 20;

    uint32_t TickCount() override;
    TSystemTime SystemTime() override;
    bool PollEvent(RawEvent& out) override;
    void WaitEvent(uint32_t timeoutMs) override;
    bool OpenWindow(const WindowSpec& spec) override;
    void SetCaption(std::string_view utf8) override;
    void SetIcon(const IconImage& icon) override;
    void Show(ShowState state) override;
    void SetCapture(bool capture) override;
    int DisplayBitsPerPixel() override;
    TPixelView Screen() override;
    void Present(const TRect& changed) override;
    void PlayWave(const uint8_t* image, size_t size) override;
    void ErrorBox(std::string_view title, std::string_view text) override;
    std::string ModuleFileName() override { return "skrundle"; }

private:
    bool TakeQueued(RawEvent& out);
    // Converts a clip and hands it to the page; its number, or 0 when it
    // must be decoded by the browser.
    int MakeClip(const WaveInfo& info, const uint8_t* image, size_t size);

    // A clip the page holds as a buffer, and the bytes it was made from.
    struct Clip {
        std::vector<uint8_t> image;
        int id = 0;
    };
    std::vector<Clip> clips_;  // oldest first
    int nextClip_ = 0;

    std::vector<uint32_t> screen_;  // width_ x height_, allocated once with the window
    int width_ = 0, height_ = 0;
    double lastYield_ = 0;  // when the browser last had its turn (page clock, ms)
};

}  // namespace skr::platform
