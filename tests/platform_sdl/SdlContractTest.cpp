// The SDL backend in a real window on a private Xvfb display: the shared
// backend behaviour, with input made by the X server itself (XTest pointer
// motion, buttons and modifier keys) rather than by events put into SDL's
// queue, so that SDL's own X event handling is part of what is tested. It
// runs at the classic scale and on a desktop at twice it, where the session
// presses and reads each client pixel as a 2 x 2 block.
#include <gtest/gtest.h>

#include <cstdlib>
#include <memory>
#include <optional>
#include <string>
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
        const char* old = std::getenv(name);
        saved_.push_back({name, old ? std::optional<std::string>(old) : std::nullopt});
        setenv(name, value.c_str(), 1);
    }
    ~ScopedEnv() {
        for (auto it = saved_.rbegin(); it != saved_.rend(); ++it) {
            if (it->second) setenv(it->first.c_str(), it->second->c_str(), 1);
            else unsetenv(it->first.c_str());
        }
    }

private:
    std::vector<std::pair<std::string, std::optional<std::string>>> saved_;
};

template <int Scale>
class SdlDriver {
public:
    SdlDriver() : x_(Scale) {
        // SDL reads these when it starts, in the platform's constructor.
        env_.Set("DISPLAY", x_.DisplayName());
        env_.Set("SDL_VIDEODRIVER", "x11");  // never a Wayland session the tests run in
        env_.Set("SDL_AUDIODRIVER", "dummy");
        platform_ = std::make_unique<platform::SdlPlatform>();
    }
    ~SdlDriver() { platform_.reset(); }  // SDL lets go of the display before Xvfb ends

    platform::Platform& Platform() { return *platform_; }
    bool Open(const platform::WindowSpec& spec) {
        if (!x_.Ready() || !platform_->OpenWindow(spec)) return false;
        platform_->Show(platform::ShowState::Normal);
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
    void RequestClose() { x_.RequestClose(window_); }
    bool WindowExists() { return x_.Viewable(window_); }
    void Invalidate(const TRect& r) { x_.Uncover(window_, r.left, r.top, r.right - r.left, r.bottom - r.top); }
    uint32_t PixelOnWindow(int x, int y) { return x_.Pixel(window_, x, y); }

private:
    e2e::XSession x_;
    ScopedEnv env_;
    std::unique_ptr<platform::SdlPlatform> platform_;
    Window window_ = 0;
};

}  // namespace

namespace contract {
using SdlDrivers = ::testing::Types<SdlDriver<1>, SdlDriver<2>>;
INSTANTIATE_TYPED_TEST_SUITE_P(Sdl, BackendContract, SdlDrivers);
}

}  // namespace skr
