#include <gtest/gtest.h>

#include <sys/wait.h>

#include <chrono>
#include <cstdlib>
#include <thread>

#include "XSession.h"

namespace skr::e2e {
namespace {

// Counts the pixels that are not black inside a rectangle of the client.
int Lit(const std::vector<uint32_t>& pixels, int left, int top, int right, int bottom) {
    if (pixels.size() != 385u * 289u) return 0;  // no capture
    int n = 0;
    for (int y = top; y < bottom; ++y)
        for (int x = left; x < right; ++x) n += pixels[static_cast<size_t>(y) * 385 + x] != 0;
    return n;
}

void Wait(int ms) { std::this_thread::sleep_for(std::chrono::milliseconds(ms)); }


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
    int left, top, width, height;
    ASSERT_TRUE(x.Geometry(w, left, top, width, height));
    EXPECT_EQ(width, 385 * k);
    EXPECT_EQ(height, 289 * k);
    // Without a window manager there is no frame: the client is the corner.
    EXPECT_EQ(left, 192 * k);
    EXPECT_EQ(top, 107 * k);

    // The prompt blinks at (92, 200); the rest of the window is black.
    std::vector<uint32_t> pixels;
    for (int i = 0; i < 40 && Lit(pixels = x.Capture(w, 385, 289), 92, 200, 292, 223) == 0; ++i) Wait(100);
    ASSERT_EQ(pixels.size(), 385u * 289u);
    EXPECT_GT(Lit(pixels, 92, 200, 292, 223), 100);
    EXPECT_EQ(Lit(pixels, 0, 0, 385, 190), 0);
    EXPECT_EQ(Lit(pixels, 0, 256, 385, 289), 0);

    // A click starts a game: the counter line appears at the bottom.
    x.Click(w, 200, 100);
    for (int i = 0; i < 40 && Lit(pixels = x.Capture(w, 385, 289), 136, 256, 248, 288) == 0; ++i) Wait(100);
    EXPECT_GT(Lit(pixels, 136, 256, 248, 288), 100);
    EXPECT_EQ(x.MixedBlocks(), 0) << "client pixels not shown as whole blocks";

    x.RequestClose(w);
    EXPECT_EQ(x.WaitExit(15000), 0) << x.ProgramErrors();
}

INSTANTIATE_TEST_SUITE_P(Scale, RealWindowAtScale, ::testing::Values(1, 2));

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
