// The SDL backend in a real window on a private Xvfb display: the shared
// backend behaviour, with input made by the X server itself (XTest pointer
// motion, buttons and modifier keys) rather than by events put into SDL's
// queue, so that SDL's own X event handling is part of what is tested. It
// runs at the classic scale and on a desktop at twice it, where the session
// presses and reads each client pixel as a 2 x 2 block; and the same as a
// Wayland window of GNOME's compositor (mutter) nested in the display, at
// 100 % and 200 %, the backend choosing the compositor's window system
// itself, the input going through the compositor.
#include <gtest/gtest.h>

#include <chrono>
#include <cstdlib>
#include <memory>
#include <optional>
#include <string>
#include <thread>
#include <utility>
#include <vector>

#include "platform/sdl/SdlPlatform.h"
#include "support/BackendContract.h"
// Last: Xlib's macros (Expose, None, ...) would otherwise rewrite the names above.
#include "support/XSession.h"

namespace skr {
namespace {

// Sets environment variables for the driver's lifetime and puts back what
// was there before, so tests run after it in the same process see the
// environment they started with.
class ScopedEnv {
public:
    void Set(const char* name, const std::string& value) {
        Keep(name);
        setenv(name, value.c_str(), 1);
    }
    // "NAME=value", as the sessions give their environment.
    void Set(const std::string& assignment) {
        const size_t eq = assignment.find('=');
        Set(assignment.substr(0, eq).c_str(), assignment.substr(eq + 1));
    }
    void Unset(const char* name) {
        Keep(name);
        unsetenv(name);
    }
    ~ScopedEnv() {
        for (auto it = saved_.rbegin(); it != saved_.rend(); ++it) {
            if (it->second) setenv(it->first.c_str(), it->second->c_str(), 1);
            else unsetenv(it->first.c_str());
        }
    }

private:
    // Each change's earlier value, given back in reverse order at the end.
    void Keep(const char* name) {
        const char* old = std::getenv(name);
        saved_.push_back({name, old ? std::optional<std::string>(old) : std::nullopt});
    }
    std::vector<std::pair<std::string, std::optional<std::string>>> saved_;
};

enum class Desktop { X11, Mutter };

template <int Scale, Desktop On = Desktop::X11>
class SdlDriver {
public:
    // A compositor keeps each window's content.
    static constexpr bool kKeepsContent = On == Desktop::Mutter;

    SdlDriver() : x_(Scale) {
        // SDL reads these when it starts, in the platform's constructor.
        env_.Set("DISPLAY", x_.DisplayName());
        env_.Set("SDL_AUDIODRIVER", "dummy");
        if (On == Desktop::X11) {
            env_.Set("SDL_VIDEODRIVER", "x11");  // never a Wayland session the tests run in
        } else if ((compositor_ = x_.StartMutter())) {
            env_.Unset("SDL_VIDEODRIVER");  // the backend's own choice
            for (const std::string& e : x_.WaylandEnv()) env_.Set(e);
        }
        platform_ = std::make_unique<platform::SdlPlatform>();
    }
    ~SdlDriver() { platform_.reset(); }  // SDL lets go of the display before Xvfb ends

    platform::Platform& Platform() { return *platform_; }
    bool Open(const platform::WindowSpec& spec) {
        if (!x_.Ready() || (On == Desktop::Mutter && !compositor_) || !platform_->OpenWindow(spec)) return false;
        platform_->Show(platform::ShowState::Normal);
        if (On == Desktop::Mutter) {
            // The compositor's window shows the client.
            int left, top;
            window_ = x_.FindWaylandClient(spec.clientWidth, spec.clientHeight, 10000, left, top) ? compositor_ : 0;
            return window_ != 0;
        }
        window_ = x_.WaitForWindow(spec.captionUtf8, 10000);
        if (!window_) return false;
        // Keys reach the focused window only, and SDL takes modifier state
        // from the keys it received (there is no window manager to give the
        // focus on a click).
        x_.Focus(window_);
        return true;
    }

    // Shift and Ctrl are held down around the button only, as a quick
    // shift-click does: the backend must keep the state each event had.
    void Press(platform::Button b, int x, int y, bool down, uint32_t modifiers) {
        std::vector<const char*> keys;
        if (modifiers & platform::kShift) keys.push_back("Shift_L");
        if (modifiers & platform::kCtrl) keys.push_back("Control_L");
        if (modifiers & platform::kAlt) keys.push_back("Alt_L");
        x_.MovePointer(window_, x, y);
        for (const char* k : keys) x_.SetKey(k, true);
        x_.SetButton(b == platform::Button::Left ? 1 : b == platform::Button::Middle ? 2 : 3, down);
        for (auto it = keys.rbegin(); it != keys.rend(); ++it) x_.SetKey(*it, false);
    }
    void Move(int x, int y) { x_.MovePointer(window_, x, y); }
    // (On the compositor the window is there while its client area shows
    // what it showed when the close was asked for.)
    void RequestClose() {
        if (On == Desktop::Mutter) shown_ = x_.Capture(window_, 385, 289);
        x_.RequestClose(window_);
    }
    bool WindowExists() {
        if (On == Desktop::X11) return x_.Viewable(window_);
        std::this_thread::sleep_for(std::chrono::milliseconds(300));
        return x_.Capture(window_, 385, 289) == shown_;
    }
    void Invalidate(const TRect& r) {
        if (On == Desktop::Mutter) x_.CoverWithAnotherWindow(window_, 385, 289);
        else x_.Uncover(window_, r.left, r.top, r.right - r.left, r.bottom - r.top);
    }
    uint32_t PixelOnWindow(int x, int y) { return x_.Pixel(window_, x, y); }

private:
    e2e::XSession x_;
    ScopedEnv env_;
    std::unique_ptr<platform::SdlPlatform> platform_;
    Window compositor_ = 0, window_ = 0;
    std::vector<uint32_t> shown_;
};

}  // namespace

namespace contract {
#if SKR_CONTRACT_X11_ONLY
using SdlDrivers = ::testing::Types<SdlDriver<1>, SdlDriver<2>>;
#else
using SdlDrivers = ::testing::Types<SdlDriver<1>, SdlDriver<2>, SdlDriver<1, Desktop::Mutter>, SdlDriver<2, Desktop::Mutter>>;
#endif
INSTANTIATE_TYPED_TEST_SUITE_P(Sdl, BackendContract, SdlDrivers);
}

}  // namespace skr
