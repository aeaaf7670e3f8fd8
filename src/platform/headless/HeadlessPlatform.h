// A platform without a display: a virtual clock and time of day, scripted
// raw events at virtual times, an in-memory screen, a log of sound requests
// and error boxes. Waiting advances virtual time to the next scripted event
// or the wait's deadline; an empty poll that follows an empty poll advances
// it by 1 ms, so a busy wait ends. A whole game runs in milliseconds of real
// time.
//
// What it does not do: show, sound or box anything for a person (it logs
// them), or read any clock, input or setting of the machine it runs on.
#pragma once

#include <cstdint>
#include <deque>
#include <optional>
#include <string>
#include <vector>

#include "platform/Platform.h"

namespace skr::platform {

class HeadlessPlatform final : public Platform {
public:
    struct Options {
        uint32_t startTick = 0;                        // tick count at virtual time 0
        uint32_t startTimeOfDayMs = 12 * 3600 * 1000;  // UTC ms since midnight at time 0
        bool canCreateWindow = true;
        ShowState launchShow = ShowState::Normal;
    };

    struct SoundRequest {
        uint64_t time;          // virtual ms
        const uint8_t* image;   // null: stop
        size_t size;
        uint32_t durationMs;    // 0 when the image is not a playable WAVE image
    };

    struct Box {
        std::string title, text;
    };

    HeadlessPlatform();
    explicit HeadlessPlatform(Options options);

    // Virtual time in ms since the platform was made (not wrapped).
    uint64_t Now() const noexcept { return now_; }
    void AdvanceTo(uint64_t t) noexcept { if (t > now_) now_ = t; }

    // Scripts a raw event at virtual time t (events at equal times keep order).
    void Post(uint64_t t, RawEvent e);
    void Press(uint64_t t, int x, int y, Button b = Button::Left);
    void Release(uint64_t t, int x, int y, Button b = Button::Left);
    void Click(uint64_t t, int x, int y, Button b = Button::Left);  // press at t, release at t+1
    void Expose(uint64_t t, TRect area);
    void Close(uint64_t t);

    // The screen.
    uint32_t Pixel(int x, int y) const { return screen_.at(static_cast<size_t>(y) * width_ + x); }

    // Sound and error boxes.
    const std::vector<SoundRequest>& Sounds() const noexcept { return sounds_; }
    // The log grows with every request by design; long runs clear it.
    void ClearSounds() noexcept { sounds_.clear(); }
    // The request whose clip sounds at virtual time t, if any.
    const SoundRequest* SoundingAt(uint64_t t) const noexcept;
    const std::vector<Box>& ErrorBoxes() const noexcept { return boxes_; }

    // Window facts.
    bool WindowCreated() const noexcept { return created_; }
    const WindowSpec& Window() const noexcept { return spec_; }
    std::optional<ShowState> Shown() const noexcept { return shown_; }
    const std::string& Caption() const noexcept { return spec_.captionUtf8; }

    // Platform.
    uint32_t TickCount() override;
    TSystemTime SystemTime() override;
    bool PollEvent(RawEvent& out) override;
    // When the script runs out and the program would wait for ever, a close
    // request ends it, so a test cannot hang.
    void WaitEvent(uint32_t timeoutMs) override;
    bool OpenWindow(const WindowSpec& spec) override;
    void SetCaption(std::string_view utf8) override { spec_.captionUtf8 = std::string(utf8); }
    void SetIcon(const IconImage&) override {}
    void Show(ShowState state) override { shown_ = state; }
    ShowState LaunchShowState() override { return options_.launchShow; }
    void SetCapture(bool) override {}
    int DoubleClickDistance() override { return 4; }
    int DisplayBitsPerPixel() override { return 32; }
    TPixelView Screen() override;
    void Present(const TRect&) override {}
    void PlayWave(const uint8_t* image, size_t size) override;
    void ErrorBox(std::string_view title, std::string_view text) override;
    std::string ModuleFileName() override { return "/usr/games/Skrundle.exe"; }

private:
    struct Scripted {
        uint64_t time;
        RawEvent event;
    };

    Options options_;
    uint64_t now_ = 0;
    std::deque<Scripted> script_;  // sorted by time
    int width_ = 0, height_ = 0;  // the window's client size, once it is open
    std::vector<uint32_t> screen_;
    std::vector<SoundRequest> sounds_;
    std::vector<Box> boxes_;
    WindowSpec spec_;
    bool created_ = false;
    std::optional<ShowState> shown_;
    bool lastPollEmpty_ = false;
};

}  // namespace skr::platform
