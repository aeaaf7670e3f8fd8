// Whole games through real presses, as a player plays them: the Linux
// program bare and under a window manager, and the Windows program under
// Wine, under a window manager, and each bare on a desktop at twice the
// classic scale; and the Linux program as a Wayland window of GNOME's
// compositor at twice the scale. The driver (WholeGame.cpp) watches the board's pixels and strikes
// what it sees; these tests check what the window showed.
#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <thread>

#include "AudioTap.h"
#include "WholeGame.h"
#include "support/XSession.h"

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

// (As XSession::Launch does for the program: its libraries' allocations
// kept until exit are no test's concern.)
std::vector<std::string> WithLeaksUnchecked(std::vector<std::string> env) {
    env.push_back("ASAN_OPTIONS=detect_leaks=0");
    return env;
}

// The game's sounds in the captured output, at their moments: the start
// clip at the start press, a hit clip within a tick of each hit the counter
// line showed, a dent clip only after a strike, the end clip once and 1.5 s
// before the result picture. (Hits in one tick share one clip, so hits may
// outnumber hit clips.) `lateLook`: how much later than the program drew
// it the test may see the counter line (a compositor shows a frame at its
// next repaint of the screen, more under load).
void CheckSounds(const AudioTap& tap, const WholeGame& g, double lateLook) {
    const std::string assets = SKRUNDLE_ASSETS;
    const std::vector<double> start = tap.Onsets(WaveSamples(assets + "/WaveStart.wav"));
    const std::vector<double> hit = tap.Onsets(WaveSamples(assets + "/WaveBucha.wav"));
    const std::vector<double> dent = tap.Onsets(WaveSamples(assets + "/WaveBofu.wav"));
    const std::vector<double> end = tap.Onsets(WaveSamples(assets + "/WaveEnd.wav"));
    std::printf("sounds: start %+.1f ms after its press; %zu hit clips for %d hits, %zu dents; end %.1f ms before the "
                "picture\n",
                start.empty() ? -1.0 : start[0] - g.startPressAt, hit.size(), g.lastHits, dent.size(),
                end.empty() ? -1.0 : g.coveredAt - end[0]);
    ASSERT_EQ(start.size(), 1u) << tap.Samples() << " samples captured";
    EXPECT_GE(start[0], g.startPressAt - 5);  // (found moments may be a few ms early)
    EXPECT_LT(start[0] - g.startPressAt, 250) << "the start clip came late";
    // A press reaches the output within this (a buffer period or two, and
    // a loaded machine's scheduling).
    constexpr double kSoon = 250;
    // How long before `t` the last strike was (a day when there was none);
    // the found moments may be a few ms early.
    auto sinceStrike = [&](double t) {
        auto s = std::upper_bound(g.strikesAt.begin(), g.strikesAt.end(), t + 5);
        return s == g.strikesAt.begin() ? 86400e3 : t - *std::prev(s);
    };
    for (double t : hit) EXPECT_LT(sinceStrike(t), kSoon) << "a hit clip long after the last strike";
    for (double t : dent) EXPECT_LT(sinceStrike(t), kSoon) << "a dent clip long after the last strike";
    EXPECT_LE(hit.size(), size_t(g.lastHits));
    int unheard = 0;
    for (double shown : g.hitsShownAt) {
        // The counter shows a hit at once; its clip starts at the next tick
        // (90 ms), and the look that saw the counter may itself be late.
        const bool heard =
            std::any_of(hit.begin(), hit.end(), [&](double t) { return t >= shown - lateLook && t <= shown + kSoon; });
        unheard += !heard;
    }
    EXPECT_EQ(unheard, 0) << "hits shown on the counter line with no hit clip before them";
    ASSERT_EQ(end.size(), 1u);
    EXPECT_TRUE(hit.empty() || end[0] > hit.back());
    EXPECT_GE(g.coveredAt - end[0], 1400);
    EXPECT_LT(g.coveredAt - end[0], 1800);
}

// The checks of one whole game, then the window covered and uncovered (by
// the server, and by another window), and minimised and restored under a
// window manager: each time its black fill and the counter line come back.
void CheckWholeGame(XSession& x, Window w, bool windowManager, const AudioTap& tap, double lateLook = 100) {
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
    EXPECT_EQ(x.MixedBlocks(), 0) << "client pixels not shown as whole blocks";
    std::printf("whole game: %d hits of %d figures, %d strikes, picture %s\n", g.lastHits, g.lastFigures, g.strikes,
                g.picture.c_str());
    CheckSounds(tap, g, lateLook);

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

// Where the Linux program plays: on the bare X display, under a window
// manager, or as a Wayland window of GNOME's compositor nested in it.
enum class Desktop { Bare, WindowManager, Mutter };

// The Linux program through a whole game, its sound captured.
void PlayTheLinuxProgram(Desktop desktop, int scale) {
    XSession x(scale);
    ASSERT_TRUE(x.Ready()) << "no Xvfb display could be started";
    if (desktop == Desktop::WindowManager) {
        ASSERT_TRUE(x.StartWindowManager()) << "openbox did not start";
    }
    const Window compositor = desktop == Desktop::Mutter ? x.StartMutter() : 0;
    if (desktop == Desktop::Mutter) {
        ASSERT_NE(compositor, 0u) << "mutter did not start (the mutter package)";
    }
    AudioTap tap(AudioTap::Output::SdlDisk);
    ASSERT_TRUE(tap.Ready());
    ASSERT_TRUE(x.Launch({ProgramUnderTest()}, WithLeaksUnchecked(tap.Env())));
    int left, top;
    const Window w = compositor ? (x.FindWaylandClient(385, 289, 15000, left, top) ? compositor : 0)
                                : x.WaitForWindow("Skrundle ver.1.2.0", 10000);
    ASSERT_NE(w, 0u) << x.ProgramErrors();
    if (desktop == Desktop::WindowManager) x.Focus(w);
    else if (desktop == Desktop::Bare) CheckPlacement(x, w, 0, 0);
    CheckWholeGame(x, w, desktop == Desktop::WindowManager, tap, compositor ? 200 : 100);
    x.RequestClose(w);
    EXPECT_EQ(x.WaitExit(15000), 0) << x.ProgramErrors();
}

// The Windows program through a whole game under Wine, its sound captured.
void PlayTheWindowsProgram(bool windowManager, int scale) {
    const std::string exe = SKRUNDLE_WIN32_PROGRAM;
    if (!std::filesystem::exists(exe)) GTEST_SKIP() << exe << " is not built (scripts/win32.sh builds it)";
    const WinePrefix wine(exe, 96 * scale);
    ASSERT_TRUE(wine.Ready()) << "no Wine prefix for " << 96 * scale << " dpi";
    AudioTap tap(AudioTap::Output::AlsaFile);
    ASSERT_TRUE(tap.Ready());
    std::vector<std::string> env = wine.Env();
    for (const std::string& e : tap.Env()) env.push_back(e);
    XSession x(scale);
    ASSERT_TRUE(x.Ready()) << "no Xvfb display could be started";
    if (windowManager) {
        ASSERT_TRUE(x.StartWindowManager()) << "openbox did not start";
    }
    ASSERT_TRUE(x.Launch({"wine", exe}, env));
    const Window w = x.WaitForWindow("Skrundle ver.1.2.0", 60000);
    ASSERT_NE(w, 0u);
    if (windowManager) x.Focus(w);
    else CheckPlacement(x, w, 3, 3 + 18 * scale + 1);
    CheckWholeGame(x, w, windowManager, tap);
    x.RequestClose(w);
    EXPECT_EQ(x.WaitExit(20000), 0) << x.ProgramErrors();
}

TEST(WholeGame, TheLinuxProgramIsPlayedThroughWithRealPresses) { PlayTheLinuxProgram(Desktop::Bare, 1); }

TEST(WholeGame, TheLinuxProgramIsPlayedThroughUnderAWindowManager) { PlayTheLinuxProgram(Desktop::WindowManager, 1); }

TEST(WholeGame, TheLinuxProgramIsPlayedThroughAtTwiceTheScale) { PlayTheLinuxProgram(Desktop::Bare, 2); }

TEST(WholeGame, TheLinuxProgramIsPlayedThroughOnGnomesWaylandCompositorAtTwiceTheScale) {
    PlayTheLinuxProgram(Desktop::Mutter, 2);
}

TEST(WholeGame, TheWindowsProgramIsPlayedThroughUnderWineAndAWindowManager) { PlayTheWindowsProgram(true, 1); }

TEST(WholeGame, TheWindowsProgramIsPlayedThroughUnderWineAtTwiceTheScale) { PlayTheWindowsProgram(false, 2); }

}  // namespace
}  // namespace skr::e2e
