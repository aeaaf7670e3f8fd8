// The SDL2 backend of the platform seam: a real window whose client area
// shows each client pixel as a k x k block, raw mouse and window events in
// client pixels, a 32-bit screen surface presented by rectangle, the tick
// counter, and one sound voice. Waiting blocks in SDL's event wait (no CPU
// while idle); the voice's device is open only while there is sound to
// play, or was a moment ago.
//
// Two window systems, chosen when SDL starts: SDL_VIDEODRIVER where the
// user set it; else a Wayland compositor where one is reachable, X11
// otherwise, and X11 (Xwayland) too when the compositor cannot make the
// window.
//   - X11: a plain shared-memory window surface at k times the client
//     size, k from the desktop's scale (DisplayDpi), the window placed by
//     its outer corner.
//   - Wayland: a renderer and a streaming texture of the client's size,
//     drawn without smoothing at the output's scale (the drawable's pixels
//     per window unit, followed as the window moves between outputs), less
//     where the compositor gives a smaller window, centred on black in
//     what it gives (FitClient). The compositor places the window and keeps
//     its content: no position is asked for, and nothing is ever exposed.
// Both name the window by the desktop entry's id (SKR_APP_ID): the Wayland
// app id, and the X11 class.
//
// What it does not do: honour a launcher's show request (SDL has none: a
// normal start), read the desktop's double-click settings (the classic
// ones), or show the window's icon on Wayland (no protocol for it: the
// desktop takes the icon of the entry the app id names).
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
    bool StartVideo(const char* driver);
    bool OpenX11Window(const WindowSpec& spec);
    bool OpenWaylandWindow(const WindowSpec& spec);
    void CloseWindow();
    // Wayland: the fit for the drawable's size now, and the view drawn from
    // the texture.
    void Fit();
    void DrawView();
    int ClientX(int x) const { return wayland_ ? fit_.ToClientX(x) : scale_.ToClient(x); }
    int ClientY(int y) const { return wayland_ ? fit_.ToClientY(y) : scale_.ToClient(y); }
    // Whether a client point is on the client (always, but where the window
    // may be larger: on Wayland).
    bool OnClient(int x, int y) const { return !wayland_ || (x >= 0 && y >= 0 && x < width_ && y < height_); }

    bool videoReady_ = false;
    bool wayland_ = false;          // SDL's Wayland driver made the window
    SDL_Window* window_ = nullptr;
    SDL_Surface* frame_ = nullptr;  // X11: wraps screen_ for blitting
    SDL_Renderer* renderer_ = nullptr;  // Wayland
    SDL_Texture* texture_ = nullptr;    // Wayland: the client pixels last presented
    std::vector<uint32_t> screen_;
    int width_ = 0, height_ = 0;  // client pixels
    PixelScale scale_;            // X11: physical pixels per client pixel
    FittedClient fit_;            // Wayland: where the client is shown
    uint32_t modifiers_ = 0;  // Shift, Alt, Ctrl as of the last key event taken from the queue
    int held_ = 0;            // mouse buttons down (their moves are reported wherever they go)
    SdlVoice voice_;
    bool audioTried_ = false;
};

}  // namespace skr::platform
