// The Win32 backend of the platform seam: a window of a registered class
// with a fixed frame whose client area is the requested size times the
// monitor's whole scale k (each client pixel a k x k block), its mouse,
// paint, size, scale and close messages turned into raw events in client
// pixels, a 32-bit top-down DIB section of the client size as the screen
// surface presented with BitBlt (above 1x through a DIB section at k), the
// tick counter and time of day of kernel32, one sound voice through
// sndPlaySoundA, and error boxes. Waiting blocks in MsgWaitForMultipleObjectsEx
// until the shell's next deadline or the next message. Timers, capture
// rules, double clicks and repaint regions stay in the shell.
//
// What it does not do: keep timers, capture rules, double clicks or
// repaint regions (the shell does, above the seam), or scale anything but
// whole pixels.
//
// This header does not include <windows.h>: handles are kept opaque here so
// that nothing above the seam sees the platform's macros.
#pragma once

#include <cstdint>
#include <deque>
#include <string>

#include "platform/Platform.h"
#include "platform/Scale.h"

namespace skr::platform {

class Win32Platform final : public Platform {
public:
    Win32Platform();
    ~Win32Platform() override;
    Win32Platform(const Win32Platform&) = delete;
    Win32Platform& operator=(const Win32Platform&) = delete;

    uint32_t TickCount() override;
    TSystemTime SystemTime() override;
    bool PollEvent(RawEvent& out) override;
    void WaitEvent(uint32_t timeoutMs) override;
    bool OpenWindow(const WindowSpec& spec) override;
    void SetCaption(std::string_view utf8) override;
    void SetIcon(const IconImage& icon) override;
    void Show(ShowState state) override;
    ShowState LaunchShowState() override;
    void SetCapture(bool capture) override;
    uint32_t DoubleClickTime() override;
    int DoubleClickDistance() override;
    int DisplayBitsPerPixel() override;
    TPixelView Screen() override;
    void Present(const TRect& changed) override;
    void PlayWave(const uint8_t* image, size_t size) override;
    void ErrorBox(std::string_view title, std::string_view text) override;
    std::string ModuleFileName() override;

    // The native window (an HWND), for tests that post messages to it.
    void* NativeWindow() const noexcept { return window_; }

    // A 32-bit DIB section in a memory DC of its own (HDC, HBITMAP, and the
    // object the DC held before).
    struct Dib {
        void* dc = nullptr;
        void* bitmap = nullptr;
        void* old = nullptr;
        uint32_t* pixels = nullptr;
        int width = 0, height = 0;
    };

    // Called by the window procedure with each message of the window;
    // returns true when it handled the message (result in `result`).
    bool HandleMessage(unsigned message, uintptr_t wParam, intptr_t lParam, intptr_t& result);

private:
    void Push(const RawEvent& e) { events_.push_back(e); }
    // The scale for a monitor of `dpi` pixels per inch, the window framed.
    int ScaleFor(int dpi) const;
    // Takes a new scale: resizes the window (at the suggested outer corner,
    // a RECT, when the system gives one) and has it repainted.
    void Rescale(int dpi, const void* suggested);

    void* instance_ = nullptr;    // HINSTANCE of the program
    void* window_ = nullptr;      // HWND
    Dib screen_;                  // the screen surface, of the client size
    Dib scaled_;                  // at k > 1: the screen as k x k blocks, as the window shows it
    void* icon_ = nullptr;        // HICON made from the window's icon image
    int width_ = 0, height_ = 0;  // client pixels
    WindowSpec spec_;
    unsigned long style_ = 0;     // the window's style (a DWORD)
    PixelScale scale_;            // physical pixels per client pixel
    bool classRegistered_ = false;
    bool shown_ = false;
    bool minimized_ = false;
    bool timerPeriodSet_ = false;
    std::deque<RawEvent> events_;  // raw events taken from the window's messages
};

// Turns one mouse message of a window into a raw event (client coordinates
// as signed 16-bit values, widened; modifier keys from wParam and the Alt
// state given). False for messages that are not button or move messages.
bool MouseMessageToEvent(unsigned message, uintptr_t wParam, intptr_t lParam, bool altDown, RawEvent& out);

// The launcher's show request from its start-up information: show code 3
// maximised, 7 minimised without activation, anything else (or no request)
// a normal start.
ShowState ShowStateFromStartup(bool useShowWindow, unsigned showWindow);

// UTF-8 <-> UTF-16 for the wide calls.
std::wstring Utf8ToWide(std::string_view utf8);
std::string WideToUtf8(std::wstring_view wide);

}  // namespace skr::platform
