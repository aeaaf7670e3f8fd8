// The platform seam: everything the program needs of the operating system,
// as "raw events in, pixels and sounds out". Each operation maps onto one or
// two calls of the classic desktop API (tick counter, system time, message
// wait, window, sound, message box). Message semantics (priorities, timers,
// capture, double clicks, invalid regions) live above the seam.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <span>
#include <string>
#include <string_view>

#include "base/Geometry.h"
#include "base/SystemTime.h"

namespace skr::platform {

enum class Button { Left, Right, Middle };

enum Modifier : uint32_t { kShift = 1, kAlt = 2, kCtrl = 4 };

enum class EventType {
    ButtonDown,    // button, x, y, modifiers
    ButtonUp,      // button, x, y, modifiers
    PointerMove,   // x, y, modifiers
    Expose,        // area of the client to redraw (uncovered, restored)
    CloseRequest,  // close button, system menu, Alt+F4
    Minimize,
    Restore,
};

struct RawEvent {
    EventType type = EventType::PointerMove;
    Button button = Button::Left;
    int x = 0, y = 0;
    uint32_t modifiers = 0;
    TRect area{};
};

enum class ShowState { Normal, Minimized, Maximized };

struct WindowSpec {
    int left = 0, top = 0;  // outer top-left corner on the screen
    int clientWidth = 0, clientHeight = 0;
    std::string captionUtf8;
    bool fixedFrame = true;  // no resizing, no working maximise button
    // The window's class, where the window system names classes of windows
    // (Win32 registers one by this name).
    std::string className = "TForm";
};

// The window icon: straight 32-bit ARGB pixels, rows top-down.
struct IconImage {
    int width = 0, height = 0;
    std::span<const uint32_t> argb;
};

class Platform {
public:
    virtual ~Platform() = default;

    // Clocks.
    virtual uint32_t TickCount() = 0;  // milliseconds since start, wraps at 2^32
    virtual TSystemTime SystemTime() = 0;

    // Raw input. PollEvent never waits. WaitEvent sleeps until an event is
    // pending or timeoutMs has passed (kForever: no timeout).
    static constexpr uint32_t kForever = 0xFFFFFFFFu;
    virtual bool PollEvent(RawEvent& out) = 0;
    virtual void WaitEvent(uint32_t timeoutMs) = 0;

    // The window. OpenWindow returns false when the platform cannot make one.
    virtual bool OpenWindow(const WindowSpec& spec) = 0;
    virtual void SetCaption(std::string_view utf8) = 0;
    virtual void SetIcon(const IconImage& icon) = 0;
    virtual void Show(ShowState state) = 0;
    // What the launcher asked for (maximised, minimised or normal start);
    // a platform without such a request starts normally.
    virtual ShowState LaunchShowState() { return ShowState::Normal; }
    virtual void SetCapture(bool capture) = 0;
    // The double click's time (ms) and distance (client pixels in each
    // direction); a platform without settings of its own has the classic ones.
    virtual uint32_t DoubleClickTime() { return 500; }
    virtual int DoubleClickDistance() { return 2; }
    virtual int DisplayBitsPerPixel() = 0;

    // The client-area screen surface and its presentation.
    virtual TPixelView Screen() = 0;
    // Shows the changed rectangle of the surface in the window (clipped to it).
    virtual void Present(const TRect& changed) = 0;

    // One sound voice: plays an in-memory WAVE image asynchronously,
    // replacing whatever sounds; null (or size 0) only stops. The bytes are
    // read in place and must stay valid until the sound ends or is replaced.
    virtual void PlayWave(const uint8_t* image, size_t size) = 0;

    // A modal error box (UTF-8 texts).
    virtual void ErrorBox(std::string_view title, std::string_view text) = 0;

    // The executable's path, as the process was started.
    virtual std::string ModuleFileName() = 0;
};

// UTC time of day from the C++ system clock, for backends whose platform
// has no call of its own for it.
TSystemTime UtcTimeOfDay();

// The platform the program runs on, set once by the shell. Components that
// call the platform directly (the sound clip) reach it here.
Platform* Active() noexcept;
void SetActive(Platform* platform) noexcept;

// The program's own entry, defined by the program and called by the
// platform's entry point (main, or WinMain on Windows). Returns the exit code.
int ProgramMain();

// The platform the program runs on: defined by the one backend the build
// links into the program (SDL, Win32 or the page), null when it cannot be
// made.
std::unique_ptr<Platform> OpenPlatform();

}  // namespace skr::platform
