// Whole games through real presses, as a player plays them: the Linux
// program bare and under a window manager, and the Windows program under
// Wine. The driver (WholeGame.cpp) watches the board's pixels and strikes
// what it sees; these tests check what the window showed.
#include <gtest/gtest.h>

#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <thread>

#include "WholeGame.h"
#include "XSession.h"

namespace skr::e2e {
namespace {


// Waits until the counter line shows again as it was.
bool CounterLineBack(XSession& x, Window w, const std::vector<uint32_t>& before) {
    for (int i = 0; i < 60; ++i) {
        if (x.CaptureArea(w, 0, 256, 385, 33) == before) return true;
        std::this_thread::sleep_for(std::chrono::milliseconds(50));
    }
    return false;
}

// The checks of one whole game, then the window covered and uncovered (by
// the server, and by another window), and minimised and restored under a
// window manager: each time its black fill and the counter line come back.
void CheckWholeGame(XSession& x, Window w, bool windowManager) {
    const WholeGame g = PlayWholeGame(x, w, SKRUNDLE_ASSETS);
    ASSERT_TRUE(g.failure.empty()) << g.failure;
    EXPECT_TRUE(g.started);
    EXPECT_TRUE(g.counterConsistent) << "the counter line went back or past its figures";
    EXPECT_EQ(g.lastFigures, 100);
    EXPECT_EQ(g.hitsSeen, g.lastHits) << "the counter did not follow the hits";
    EXPECT_GT(g.lastHits, 50) << "a player who strikes every figure seen scored " << g.lastHits;
    EXPECT_TRUE(g.covered);
    EXPECT_EQ(g.picture, g.expected) << "after " << g.lastHits << " hits";
    EXPECT_TRUE(g.promptAgain) << "no prompt with the last counter line after the picture";
    std::printf("whole game: %d hits of %d figures, %d strikes, picture %s\n", g.lastHits, g.lastFigures, g.strikes,
                g.picture.c_str());

    const std::vector<uint32_t> before = x.CaptureArea(w, 0, 256, 385, 33);
    x.Uncover(w, 0, 0, 385, 289);
    EXPECT_TRUE(CounterLineBack(x, w, before)) << "the counter line did not come back after the window was uncovered";
    x.CoverWithAnotherWindow(w, 385, 289);
    EXPECT_TRUE(CounterLineBack(x, w, before)) << "the counter line did not come back after another window passed over";
    if (!windowManager) return;
    x.Iconify(w);
    bool hidden = false;
    for (int i = 0; i < 60 && !(hidden = !x.Viewable(w)); ++i) std::this_thread::sleep_for(std::chrono::milliseconds(50));
    EXPECT_TRUE(hidden) << "the window manager did not minimise the window";
    x.Restore(w);
    for (int i = 0; i < 60 && !x.Viewable(w); ++i) std::this_thread::sleep_for(std::chrono::milliseconds(50));
    EXPECT_TRUE(CounterLineBack(x, w, before)) << "the counter line did not come back after a restore";
}

TEST(WholeGame, TheLinuxProgramIsPlayedThroughWithRealPresses) {
    XSession x;
    ASSERT_TRUE(x.Ready()) << "no Xvfb display could be started";
    ASSERT_TRUE(x.Launch(ProgramUnderTest()));
    const Window w = x.WaitForWindow("Skrundle ver.1.2.0", 10000);
    ASSERT_NE(w, 0u);
    CheckWholeGame(x, w, false);
    x.RequestClose(w);
    EXPECT_EQ(x.WaitExit(15000), 0);
}

TEST(WholeGame, TheLinuxProgramIsPlayedThroughUnderAWindowManager) {
    XSession x;
    ASSERT_TRUE(x.Ready()) << "no Xvfb display could be started";
    ASSERT_TRUE(x.StartWindowManager()) << "openbox did not start";
    ASSERT_TRUE(x.Launch(ProgramUnderTest()));
    const Window w = x.WaitForWindow("Skrundle ver.1.2.0", 10000);
    ASSERT_NE(w, 0u);
    x.Focus(w);
    CheckWholeGame(x, w, true);
    x.RequestClose(w);
    EXPECT_EQ(x.WaitExit(15000), 0);
}

TEST(WholeGame, TheWindowsProgramIsPlayedThroughUnderWine) {
    namespace fs = std::filesystem;
    const std::string exe = SKRUNDLE_WIN32_PROGRAM;
    if (!fs::exists(exe)) GTEST_SKIP() << exe << " is not built (scripts/win32.sh builds it)";
    const fs::path prefix = fs::path(exe).parent_path() / "wineprefix";
    const std::vector<std::string> env = {"WINEPREFIX=" + prefix.string(), "WINEARCH=win64", "WINEDEBUG=-all",
                                          "WINEDLLOVERRIDES=mscoree,mshtml="};
    const std::string stop = "WINEPREFIX='" + prefix.string() + "' wineserver -k >/dev/null 2>&1; WINEPREFIX='" +
                             prefix.string() + "' wineserver -w >/dev/null 2>&1";
    [[maybe_unused]] int rc = std::system(stop.c_str());
    {
        XSession x;
        ASSERT_TRUE(x.Ready()) << "no Xvfb display could be started";
        ASSERT_TRUE(x.Launch({"wine", exe}, env));
        const Window w = x.WaitForWindow("Skrundle ver.1.2.0", 60000);
        ASSERT_NE(w, 0u);
        CheckWholeGame(x, w, false);
        x.RequestClose(w);
        EXPECT_EQ(x.WaitExit(20000), 0);
    }
    rc = std::system(stop.c_str());
}

}  // namespace
}  // namespace skr::e2e
