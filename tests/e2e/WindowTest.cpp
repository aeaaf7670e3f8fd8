#include <gtest/gtest.h>

#include <sys/wait.h>

#include <algorithm>
#include <chrono>
#include <cstdlib>
#include <thread>
#include <vector>

#include "WholeGame.h"
#include "support/SwaySession.h"
#include "support/XSession.h"

namespace skr::e2e {
namespace {

// At 1x, and at 2x on a desktop that asks for 192 pixels per inch: each
// client pixel a 2 x 2 block, the stored corner doubled, presses at a
// block's last pixel reaching its client pixel.
class RealWindowAtScale : public ::testing::TestWithParam<int> {};

TEST_P(RealWindowAtScale, ShowsThePromptStartsAGameOnAClickAndClosesWithExitCodeZero) {
    const int k = GetParam();
    XSession x(k);
    ASSERT_TRUE(x.Ready()) << "no Xvfb display could be started";
    ASSERT_TRUE(x.Launch(ProgramUnderTest()));
    const Window w = x.WaitForWindow("Skrundle ver.1.2.0", 10000);
    ASSERT_NE(w, 0u) << "the window did not appear";
    // Without a window manager there is no frame: the client is the corner.
    CheckPlacement(x, w, 0, 0);
    PlayTheOpening(x, w, nullptr);

    x.RequestClose(w);
    EXPECT_EQ(x.WaitExit(15000), 0) << x.ProgramErrors();
}

INSTANTIATE_TEST_SUITE_P(Scale, RealWindowAtScale, ::testing::Values(1, 2));

// On a Wayland desktop: GNOME's compositor, mutter, nested in the display,
// with a monitor at 100 % and at 200 %. The program is a Wayland window of
// its own (no X window), each client pixel a k x k block under the caption
// bar that the compositor's frame library draws, presses at a block's last
// pixel reaching their client pixel; the desktop's close shortcut ends it.
class WaylandWindowAtScale : public ::testing::TestWithParam<int> {};

TEST_P(WaylandWindowAtScale, OnGnomesCompositorItIsANativeCrispCaptionedWindow) {
    const int k = GetParam();
    XSession x(k);
    ASSERT_TRUE(x.Ready()) << "no Xvfb display could be started";
    const Window c = x.StartMutter();
    ASSERT_NE(c, 0u) << "mutter did not start (the mutter package)";
    ASSERT_TRUE(x.Launch(ProgramUnderTest()));
    int left = 0, top = 0;
    ASSERT_TRUE(x.FindWaylandClient(385, 289, 15000, left, top))
        << "no " << 385 * k << " x " << 289 * k << " client area on the compositor\n" << x.ProgramErrors();
    EXPECT_EQ(x.WaitForWindow("Skrundle ver.1.2.0", 0), 0u) << "the program made an X window, not a Wayland one";
    PlayTheOpening(x, c, nullptr);
    // The caption bar right above the client, across it: one colour that is
    // not the desktop's, and the caption's light text on it (smoothed, so
    // read after the client's blocks were counted).
    const std::vector<uint32_t> bar = x.CaptureArea(c, 0, -16, 385, 12), desktop = x.CaptureArea(c, -20, -16, 8, 12);
    const auto light = std::count_if(bar.begin(), bar.end(), [](uint32_t p) { return (p & 0xFF) > 0xC0; });
    EXPECT_GT(std::count(bar.begin(), bar.end(), bar[0]) * 2, std::ptrdiff_t(bar.size())) << "no caption bar";
    EXPECT_EQ(std::count(desktop.begin(), desktop.end(), bar[0]), 0) << "the caption bar is the desktop's colour";
    EXPECT_GT(light, 100) << "no caption in the bar";
    x.RequestClose(c);
    EXPECT_EQ(x.WaitExit(15000), 0) << x.ProgramErrors();
}

INSTANTIATE_TEST_SUITE_P(Mutter, WaylandWindowAtScale, ::testing::Values(1, 2));

// Where the compositor cannot make the window (no EGL: glvnd finds no
// driver) or does not answer, the same run opens its window in X11 (the
// desktop's Xwayland; here the session's display), placed as stored.
class WaylandFallback : public ::testing::TestWithParam<bool> {};

TEST_P(WaylandFallback, TheProgramOpensItsWindowInX11Instead) {
    XSession x;
    ASSERT_TRUE(x.Ready()) << "no Xvfb display could be started";
    const bool answers = GetParam();
    if (answers) {
        ASSERT_NE(x.StartMutter(), 0u) << "mutter did not start (the mutter package)";
    }
    ASSERT_TRUE(x.Launch({ProgramUnderTest()}, {"SDL_AUDIODRIVER=dummy", "ASAN_OPTIONS=detect_leaks=0",
                                                answers ? "__EGL_VENDOR_LIBRARY_FILENAMES=/nonexistent.json"
                                                        : "WAYLAND_DISPLAY=skr-no-such-compositor"}));
    const Window w = x.WaitForWindow("Skrundle ver.1.2.0", 15000);
    ASSERT_NE(w, 0u) << "no X window\n" << x.ProgramErrors();
    CheckPlacement(x, w, 0, 0);
    x.RequestClose(w);
    EXPECT_EQ(x.WaitExit(15000), 0) << x.ProgramErrors();
}

INSTANTIATE_TEST_SUITE_P(Compositor, WaylandFallback, ::testing::Values(true, false),
                         [](const auto& info) { return info.param ? "WithoutEgl" : "NotAnswering"; });

// On a wlroots compositor, sway, headless at 200 %: it tiles the window,
// giving it most of the screen; the client stays 2 x 2 blocks, centred on
// black in the tile on whole window units, under sway's caption of the
// window's title and app id; a press at a block's last pixel starts a game.
TEST(WaylandWindow, OnSwaysTilingCompositorTheClientIsCrispAndCentredInItsTile) {
    SwaySession s(2);
    ASSERT_TRUE(s.Ready()) << s.Failure();
    ASSERT_TRUE(s.Launch(ProgramUnderTest(), {"SDL_AUDIODRIVER=dummy", "ASAN_OPTIONS=detect_leaks=0"}));
    // The tile: the black window around the client.
    int width = 0, height = 0, left = 0, top = 0, right = 0, bottom = 0;
    std::vector<uint32_t> screen;
    for (int i = 0; i < 150 && !(BlackBounds(screen = s.Screenshot(width, height), width, height, 600, left, top, right,
                                             bottom) && right - left >= 770); ++i)
        std::this_thread::sleep_for(std::chrono::milliseconds(100));
    ASSERT_GE(right - left, 770) << "no window\n" << s.ProgramErrors();
    const int x0 = left + (right - left - 770) / 2 / 2 * 2, y0 = top + (bottom - top - 578) / 2 / 2 * 2;
    const std::string tree = s.Tree();
    EXPECT_NE(tree.find("\"name\": \"Skrundle ver.1.2.0\""), std::string::npos) << tree;
    EXPECT_NE(tree.find("\"app_id\": \"" SKRUNDLE_APP_ID "\""), std::string::npos) << "not the desktop entry's id";
    // The prompt drawn at (92, 200), and every client pixel one 2 x 2 block.
    auto at = [&](int x, int y) { return screen[size_t(y0 + y) * size_t(width) + size_t(x0 + x)]; };
    auto lit = [&](int l, int t, int r, int b) {
        int n = 0;
        for (int y = t; y < b; ++y)
            for (int x = l; x < r; ++x) n += at(2 * x, 2 * y) != 0;
        return n;
    };
    for (int i = 0; i < 50 && lit(92, 200, 292, 223) == 0; ++i) screen = s.Screenshot(width, height);
    EXPECT_GT(lit(92, 200, 292, 223), 100) << "no prompt where the client should be";
    EXPECT_EQ(lit(0, 0, 385, 190) + lit(0, 256, 385, 289), 0);
    long mixed = 0;
    for (int y = 0; y < 578; y += 2)
        for (int x = 0; x < 770; x += 2)
            mixed += at(x + 1, y) != at(x, y) || at(x, y + 1) != at(x, y) || at(x + 1, y + 1) != at(x, y);
    EXPECT_EQ(mixed, 0) << "client pixels not shown as whole blocks";
    // A press on the black left of the client is none on it; one at the
    // last pixel of client pixel (200, 100)'s block starts a game.
    ASSERT_TRUE(s.Click(x0 - 2, y0 + 201));
    std::this_thread::sleep_for(std::chrono::milliseconds(500));
    screen = s.Screenshot(width, height);
    EXPECT_EQ(lit(136, 256, 248, 288), 0) << "a press beside the client started a game";
    ASSERT_TRUE(s.Click(x0 + 401, y0 + 201));
    for (int i = 0; i < 50 && lit(136, 256, 248, 288) == 0; ++i) screen = s.Screenshot(width, height);
    EXPECT_GT(lit(136, 256, 248, 288), 100) << "no counter line after the press";
    s.Close("Skrundle ver.1.2.0");
    EXPECT_EQ(s.WaitExit(15000), 0) << s.ProgramErrors();
}

TEST(RealWindow, WithoutADisplayTheProgramEndsWithExitCodeOne) {
    const int status = std::system("env -u DISPLAY -u WAYLAND_DISPLAY SDL_AUDIODRIVER=dummy ASAN_OPTIONS=detect_leaks=0 "
                                   "timeout 30 " SKRUNDLE_PROGRAM " >/dev/null 2>&1");
    ASSERT_TRUE(WIFEXITED(status));
    EXPECT_EQ(WEXITSTATUS(status), 1);
}

TEST(RealWindow, UnderAWindowManagerTheFramesOuterCornerIsAtTheStoredPosition) {
    XSession x;
    ASSERT_TRUE(x.Ready()) << "no Xvfb display could be started";
    ASSERT_TRUE(x.StartWindowManager()) << "openbox did not start";
    ASSERT_TRUE(x.Launch(ProgramUnderTest()));
    const Window w = x.WaitForWindow("Skrundle ver.1.2.0", 10000);
    ASSERT_NE(w, 0u);
    long extents[4] = {};
    int left, top, width, height;
    ASSERT_TRUE(x.PlacedGeometry(w, extents, left, top, width, height));
    EXPECT_EQ(width, 385);
    EXPECT_EQ(height, 289);
    EXPECT_GT(extents[2], 0) << "no caption bar";
    EXPECT_EQ(left - extents[0], 192);
    EXPECT_EQ(top - extents[2], 107);
    x.RequestClose(w);
    EXPECT_EQ(x.WaitExit(15000), 0) << x.ProgramErrors();
}

}  // namespace
}  // namespace skr::e2e
