// The browser backend of the platform seam, for WebAssembly builds: a
// <canvas> as the window, the page's mouse events on it as raw input, the
// 32-bit screen surface copied to the canvas by rectangle, the page's
// monotonic clock as the tick counter, one WebAudio voice, and a modal
// dialog in the page as the error box. The JavaScript side is the library
// WebPlatform.js, linked with --js-library.
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

    std::vector<uint32_t> screen_;  // width_ x height_, allocated once with the window
    int width_ = 0, height_ = 0;
    double lastYield_ = 0;  // when the browser last had its turn (page clock, ms)
};

}  // namespace skr::platform
