// What every real backend must do at the platform seam, as one suite of
// typed tests that each backend's test program instantiates with a driver
// of its own. The driver opens the backend with a real window and makes
// input happen the platform's own way (X input for SDL, window messages for
// Win32); the tests only look at what comes out of the seam.
//
// A driver provides:
//   platform::Platform& Platform();
//   bool Open(const platform::WindowSpec&);          // window made and shown
//   void Press(platform::Button, int x, int y, bool down, uint32_t modifiers);
//   void Move(int x, int y);                          // client coordinates
//   void RequestClose();                              // as the close button does
//   bool WindowExists();
//   void Invalidate(const TRect&);           // as an uncovering does
//   uint32_t PixelOnWindow(int x, int y);             // 0x00RRGGBB as shown
// and, where the window system keeps every window's content (a Wayland
// compositor), `static constexpr bool kKeepsContent = true;`: Invalidate
// then passes another window over it, and nothing is to be redrawn.
#pragma once

#include <gtest/gtest.h>

#include <chrono>
#include <thread>

#include "platform/Platform.h"

namespace skr::contract {

using platform::Button;
using platform::EventType;
using platform::RawEvent;

inline platform::WindowSpec ContractWindow() {
    return platform::WindowSpec{.left = 192, .top = 107, .clientWidth = 385, .clientHeight = 289,
                                .captionUtf8 = "Skrundle contract", .fixedFrame = true};
}

// Opens the backend's window and shows it, as the shell does.
inline bool OpenShown(platform::Platform& p, const platform::WindowSpec& spec) {
    if (!p.OpenWindow(spec)) return false;
    p.Show(platform::ShowState::Normal);
    return true;
}

// Waits (in the backend's own wait) for the next event of a type, passing
// over others; false after `timeoutMs`.
inline bool Await(platform::Platform& p, EventType type, RawEvent& out, int timeoutMs = 5000) {
    const auto end = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeoutMs);
    while (std::chrono::steady_clock::now() < end) {
        RawEvent e;
        while (p.PollEvent(e))
            if (e.type == type) {
                out = e;
                return true;
            }
        p.WaitEvent(10);
    }
    return false;
}

template <class Driver>
constexpr bool KeepsContent() {
    if constexpr (requires { Driver::kKeepsContent; }) return Driver::kKeepsContent;
    return false;
}

template <class Driver>
class BackendContract : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_TRUE(driver.Open(ContractWindow())) << "the backend made no window"; }
    platform::Platform& P() { return driver.Platform(); }
    Driver driver;
};

TYPED_TEST_SUITE_P(BackendContract);

TYPED_TEST_P(BackendContract, PressesAndReleasesArriveWithTheirButtonCoordinatesAndModifiers) {
    RawEvent e;
    this->driver.Press(Button::Left, 10, 20, true, platform::kShift);
    ASSERT_TRUE(Await(this->P(), EventType::ButtonDown, e));
    EXPECT_EQ(e.button, Button::Left);
    EXPECT_EQ(e.x, 10);
    EXPECT_EQ(e.y, 20);
    EXPECT_EQ(e.modifiers & (platform::kShift | platform::kCtrl | platform::kAlt), platform::kShift);
    this->driver.Press(Button::Left, 11, 21, false, 0);
    ASSERT_TRUE(Await(this->P(), EventType::ButtonUp, e));
    EXPECT_EQ(e.button, Button::Left);
    EXPECT_EQ(e.x, 11);
    EXPECT_EQ(e.y, 21);

    for (Button b : {Button::Right, Button::Middle}) {
        this->driver.Press(b, 300, 250, true, platform::kCtrl);
        ASSERT_TRUE(Await(this->P(), EventType::ButtonDown, e));
        EXPECT_EQ(e.button, b);
        EXPECT_EQ(e.x, 300);
        EXPECT_EQ(e.y, 250);
        EXPECT_EQ(e.modifiers & (platform::kShift | platform::kCtrl | platform::kAlt), platform::kCtrl);
        this->driver.Press(b, 300, 250, false, 0);
        ASSERT_TRUE(Await(this->P(), EventType::ButtonUp, e));
        EXPECT_EQ(e.button, b);
    }
}

TYPED_TEST_P(BackendContract, WhileCapturedThePointerLeftAndAboveTheWindowHasNegativeCoordinates) {
    RawEvent e;
    this->driver.Press(Button::Left, 5, 5, true, 0);
    ASSERT_TRUE(Await(this->P(), EventType::ButtonDown, e));
    this->P().SetCapture(true);
    this->driver.Move(-20, -10);
    bool seen = false;
    while (!seen && Await(this->P(), EventType::PointerMove, e)) seen = e.x == -20 && e.y == -10;
    EXPECT_TRUE(seen) << "last move at " << e.x << ", " << e.y;
    this->driver.Press(Button::Left, -20, -10, false, 0);
    ASSERT_TRUE(Await(this->P(), EventType::ButtonUp, e));
    EXPECT_EQ(e.x, -20);
    EXPECT_EQ(e.y, -10);
    this->P().SetCapture(false);
}

TYPED_TEST_P(BackendContract, ACloseRequestIsAnEventAndTheWindowStays) {
    this->driver.RequestClose();
    RawEvent e;
    ASSERT_TRUE(Await(this->P(), EventType::CloseRequest, e));
    EXPECT_TRUE(this->driver.WindowExists()) << "the backend closed the window itself";
}

TYPED_TEST_P(BackendContract, PresentedRectanglesReachTheWindowRowsTopDown) {
    const TPixelView s = this->P().Screen();
    ASSERT_EQ(s.width, 385);
    ASSERT_EQ(s.height, 289);
    for (int y = 0; y < s.height; ++y)
        for (int x = 0; x < s.width; ++x) s.pixels[y * s.stride + x] = y < 10 ? 0xFF0000u : y >= 279 ? 0x0000FFu : 0;
    s.pixels[5 * s.stride + 200] = 0x00FF00u;
    const TRect all{0, 0, 385, 289};
    this->P().Present(all);
    // Only the rectangle presented changes: the next change outside it stays unseen.
    s.pixels[150 * s.stride + 100] = 0xFFFFFFu;
    const TRect part{0, 0, 385, 20};
    this->P().Present(part);
    uint32_t top = 0;
    for (int i = 0; i < 100 && (top = this->driver.PixelOnWindow(3, 3)) != 0xFF0000u; ++i) {
        RawEvent e;
        while (this->P().PollEvent(e)) {
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
    }
    EXPECT_EQ(top, 0xFF0000u);
    EXPECT_EQ(this->driver.PixelOnWindow(200, 5), 0x00FF00u);
    EXPECT_EQ(this->driver.PixelOnWindow(384, 288), 0x0000FFu);
    EXPECT_EQ(this->driver.PixelOnWindow(0, 279), 0x0000FFu);
    EXPECT_EQ(this->driver.PixelOnWindow(100, 150), 0u);
}

TYPED_TEST_P(BackendContract, AnUncoveredAreaIsReportedAsAnExposeThatCoversIt) {
    RawEvent e;
    while (this->P().PollEvent(e)) {
    }
    const TRect r{40, 30, 120, 90};
    if constexpr (KeepsContent<TypeParam>()) {
        // Covered and uncovered, the window still shows what was presented,
        // and nothing asks the program to draw it again.
        const TPixelView s = this->P().Screen();
        s.pixels[60 * s.stride + 80] = 0x00FFFFu;
        this->P().Present(TRect{80, 60, 81, 61});
        this->driver.Invalidate(r);
        EXPECT_FALSE(Await(this->P(), EventType::Expose, e, 500)) << "an expose where the compositor keeps the content";
        EXPECT_EQ(this->driver.PixelOnWindow(80, 60), 0x00FFFFu);
        return;
    }
    this->driver.Invalidate(r);
    ASSERT_TRUE(Await(this->P(), EventType::Expose, e));
    EXPECT_LE(e.area.left, r.left);
    EXPECT_LE(e.area.top, r.top);
    EXPECT_GE(e.area.right, r.right);
    EXPECT_GE(e.area.bottom, r.bottom);
    EXPECT_LE(e.area.right, 385);
    EXPECT_LE(e.area.bottom, 289);
}

TYPED_TEST_P(BackendContract, WaitingEndsWhenInputArrivesAndTheClockRuns) {
    RawEvent e;
    while (this->P().PollEvent(e)) {
    }
    const uint32_t before = this->P().TickCount();
    this->driver.Press(Button::Right, 50, 60, true, 0);
    // A wait without a deadline must come back for the press (else the
    // test hangs and its time-out fails it).
    bool got = false;
    for (int i = 0; i < 50 && !got; ++i) {
        this->P().WaitEvent(platform::Platform::kForever);
        while (!got && this->P().PollEvent(e)) got = e.type == EventType::ButtonDown;
    }
    EXPECT_TRUE(got);
    this->driver.Press(Button::Right, 50, 60, false, 0);
    std::this_thread::sleep_for(std::chrono::milliseconds(30));
    const uint32_t elapsed = this->P().TickCount() - before;
    EXPECT_GE(elapsed, 25u);
    EXPECT_LT(elapsed, 60000u);
    const TSystemTime t = this->P().SystemTime();
    EXPECT_TRUE(t.wHour >= 0 && t.wHour < 24 && t.wMinute >= 0 && t.wMinute < 60 && t.wSecond >= 0 && t.wSecond < 61 &&
                t.wMilliseconds >= 0 && t.wMilliseconds < 1000);
}

REGISTER_TYPED_TEST_SUITE_P(BackendContract, PressesAndReleasesArriveWithTheirButtonCoordinatesAndModifiers,
                            WhileCapturedThePointerLeftAndAboveTheWindowHasNegativeCoordinates,
                            ACloseRequestIsAnEventAndTheWindowStays, PresentedRectanglesReachTheWindowRowsTopDown,
                            AnUncoveredAreaIsReportedAsAnExposeThatCoversIt,
                            WaitingEndsWhenInputArrivesAndTheClockRuns);

}  // namespace skr::contract
