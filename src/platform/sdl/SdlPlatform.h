// The SDL2 backend of the platform seam: a real window whose client area
// shows each client pixel as a k x k block, k from the desktop's scale
// (DisplayDpi), raw mouse and window events in client pixels, a 32-bit
// screen surface presented by rectangle, the tick counter, and one sound
// voice. Waiting blocks in SDL's event wait (no CPU while idle); the voice's
// device is open only while there is sound to play, or was a moment ago.
//
// What it does not do: honour a launcher's show request (SDL has none: a
// normal start), read the desktop's double-click settings (the classic
// ones), or tell the window's class to the window system.
#pragma once

#include <SDL.h>

#include <vector>

#include "platform/Platform.h"
#include "platform/Scale.h"
#include "platform/sdl/SdlVoice.h"

namespace skr::platform {

class SdlPlatform final : public Platform {
public:
    SdlPlatform();
    ~SdlPlatform() override;
    SdlPlatform(const SdlPlatform&) = delete;
    SdlPlatform& operator=(const SdlPlatform&) = delete;

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
    std::string ModuleFileName() override;

private:
    // The window manager's frame is not known before the window is mapped;
    // the scale leaves room for a usual one.
    static constexpr struct {
        int w, h;
    } kFrameAllowance{16, 48};

    bool Translate(const SDL_Event& ev, RawEvent& out);
    void StartAudio();

    bool videoReady_ = false;
    SDL_Window* window_ = nullptr;
    SDL_Surface* frame_ = nullptr;  // wraps screen_ for blitting
    std::vector<uint32_t> screen_;
    int width_ = 0, height_ = 0;  // client pixels
    PixelScale scale_;            // physical pixels per client pixel
    uint32_t modifiers_ = 0;  // Shift, Alt, Ctrl as of the last key event taken from the queue
    SdlVoice voice_;
    bool audioTried_ = false;
};

}  // namespace skr::platform
