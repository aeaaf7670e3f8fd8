#include <gtest/gtest.h>

#include <algorithm>

#include "XSession.h"

namespace skr::e2e {
namespace {

TEST(RealWindow, ShowsTheBlackClientAtItsPlaceAndClosesWithExitCodeZero) {
    XSession x;
    ASSERT_TRUE(x.Ready()) << "no Xvfb display could be started";
    ASSERT_TRUE(x.Launch(SKRUNDLE_PROGRAM));
    const Window w = x.WaitForWindow("Skrundle ver.1.2.0", 10000);
    ASSERT_NE(w, 0u) << "the window did not appear";
    int left, top, width, height;
    ASSERT_TRUE(x.Geometry(w, left, top, width, height));
    EXPECT_EQ(width, 385);
    EXPECT_EQ(height, 289);
    // Without a window manager there is no frame: the client is the corner.
    EXPECT_EQ(left, 192);
    EXPECT_EQ(top, 107);
    const std::vector<uint32_t> pixels = x.Capture(w, width, height);
    ASSERT_EQ(pixels.size(), 385u * 289u);
    EXPECT_EQ(std::count(pixels.begin(), pixels.end(), 0u), static_cast<long>(pixels.size()));
    x.RequestClose(w);
    EXPECT_EQ(x.WaitExit(10000), 0);
}

}  // namespace
}  // namespace skr::e2e
