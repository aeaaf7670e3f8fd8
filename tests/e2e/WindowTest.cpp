#include <gtest/gtest.h>

#include <sys/wait.h>

#include <chrono>
#include <cstdlib>
#include <thread>

#include "WholeGame.h"
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
