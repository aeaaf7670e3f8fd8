#include <gtest/gtest.h>

#include <set>

#include "support/GameFixture.h"
#include "app/Image.h"
#include "app/Program.h"
#include "app/Timer.h"

namespace skr::test {
namespace {

constexpr uint32_t kNoon = 12 * 3600 * 1000;

TEST(Random, LinearCongruentialStepTakesTheUpperBitsOfTheProduct) {
    RandSeed = 0;
    EXPECT_EQ(RandomBelow(70), 0);
    EXPECT_EQ(RandSeed, 1u);
    RandSeed = 45296789;
    EXPECT_EQ(RandomBelow(70), 34);
    EXPECT_EQ(RandomBelow(6), 1);
    EXPECT_EQ(RandomBelow(4), 1);
    EXPECT_EQ(RandomBelow(6), 0);
    EXPECT_EQ(RandSeed, 102383713u);
    RandSeed = 0xFFFFFFFFu;  // wraps modulo 2^32
    EXPECT_EQ(RandomBelow(100), 96);
    EXPECT_EQ(RandSeed, 4160191484u);
}

TEST(Random, ReseedTakesTheMillisecondsSinceMidnightUtc) {
    platform::HeadlessPlatform p({.startTimeOfDayMs = ((12 * 60 + 34) * 60 + 56) * 1000 + 789});
    TApplication app(p);
    ReseedFromClock();
    EXPECT_EQ(RandSeed, 45296789u);
}

TEST(Prompt, CyclesEveryQuarterSecondBeforeTheFirstGameAndNothingElseIsDrawn) {
    Game g;
    std::vector<int> frames;
    g.afterTick = [&](uint64_t) { frames.push_back(g.PromptFrame()); };
    g.platform.Close(1300);
    g.Run();
    EXPECT_EQ(g.ticks, (std::vector<uint64_t>{250, 500, 750, 1000, 1250}));
    EXPECT_EQ(frames, (std::vector<int>{0, 1, 2, 1, 0}));
    EXPECT_EQ(g.Counter(), "???????");  // a repaint in Idle draws nothing
    EXPECT_TRUE(g.Black(10, 10));
    EXPECT_EQ(g.S().GameState, Idle);
    EXPECT_EQ(g.S().ActiveSlots, 1);
}

TEST(Start, CounterPromptSoundPauseBlankAndNinetyMillisecondTicks) {
    Game g;
    std::vector<int32_t> statesSeen;
    g.afterTick = [&](uint64_t) { statesSeen.push_back(g.S().GameState); };
    g.platform.Click(600, 100, 100);
    g.platform.Click(900, 100, 100);  // during the pause: does nothing
    g.platform.Close(1900);
    g.Run();
    ASSERT_EQ(g.platform.Sounds().size(), 1u);
    EXPECT_EQ(g.platform.Sounds()[0].time, 600u);
    EXPECT_EQ(g.SoundAt(600), g.form->WaveStart);
    // Ticks still come during the pause, nested in the wait, and do nothing.
    ASSERT_GE(g.ticks.size(), 6u);
    EXPECT_EQ(std::vector<uint64_t>(g.ticks.begin(), g.ticks.begin() + 6),
              (std::vector<uint64_t>{250, 500, 750, 1000, 1250, 1500}));
    EXPECT_EQ(std::vector<int32_t>(statesSeen.begin() + 2, statesSeen.begin() + 6),
              (std::vector<int32_t>{Starting, Starting, Starting, Starting}));
    // The pause lasts a little over 1001 ms; then ticks come every 90 ms.
    std::vector<uint64_t> game(g.ticks.begin() + 6, g.ticks.end());
    ASSERT_GE(game.size(), 2u);
    EXPECT_NEAR(double(game[0]), 600.0 + 1002.0 + 90.0, 2.0);
    for (size_t i = 1; i < game.size(); ++i) EXPECT_EQ(game[i] - game[i - 1], 90u);
    EXPECT_EQ(g.S().GameState, Playing);
    EXPECT_EQ(g.form->Timer1->Interval(), 90);
    EXPECT_EQ(g.Counter().substr(0, 4), "000/");
    EXPECT_EQ(g.PromptFrame(), -1);  // the prompt area is blanked
}

TEST(Start, TheBrightPromptAndZeroCounterShowDuringThePause) {
    Game g;
    bool checked = false;
    g.afterTick = [&](uint64_t t) {
        if (t == 1000) {
            checked = true;
            EXPECT_EQ(g.PromptFrame(), 0);
            EXPECT_EQ(g.Counter(), "000/000");
            EXPECT_EQ(g.S().GameState, Starting);
        }
    };
    g.platform.Click(600, 100, 100, platform::Button::Right);  // any button starts a game
    g.platform.Close(1100);  // taken inside the wait: the start still completes
    g.Run();
    EXPECT_TRUE(checked);
    EXPECT_EQ(g.S().GameState, Playing);
}

// Plays games in which a scripted player looks at the screen after every
// tick and presses figures it sees, until it has `target` hits.
struct Player {
    Game& g;
    int target;
    bool pressEveryFigure;
    uint64_t endTick = 0, pictureShown = 0;
    std::string lastCounter;
    int maxUp = 0;
    bool invariantsHeld = true;

    Player(Game& game, int hits, bool everyFigure = true) : g(game), target(hits), pressEveryFigure(everyFigure) {
        g.afterTick = [this](uint64_t t) { AfterTick(t); };
    }

    void AfterTick(uint64_t t) {
        const TGameRecord& s = g.S();
        if (s.Hits > s.FiguresShown || s.FiguresShown > 100) invariantsHeld = false;
        int up = 0;
        std::set<std::pair<int, int>> cells;
        for (int i = 0; i < s.ActiveSlots; ++i)
            if (s.SlotStep[i] > 0) {
                ++up;
                if (!cells.insert({s.SlotX[i], s.SlotY[i]}).second) invariantsHeld = false;
            }
        maxUp = std::max(maxUp, up);
        for (TImage* pic : {g.form->Iperfect, g.form->Inobody, g.form->Iwhy, g.form->Iwinner, g.form->Igoback})
            if (pic->Visible() && pictureShown == 0) {
                pictureShown = g.platform.Now();
                endTick = t;
            }
        if (s.GameState != Playing) return;
        lastCounter = g.Counter();
        int pressed = 0;
        for (int row = 0; row < 4; ++row)
            for (int col = 0; col < 6; ++col) {
                const int f = g.BlorpFrameAt(col, row);
                if (f < 1 || f > 21) continue;
                if (s.Hits + pressed >= target) return;
                g.platform.Click(t + 5, col * 64 + 10, row * 64 + 10);
                // A blow on the tough figure does not count: it needs another.
                if (f < 16 || f > 18) ++pressed;
                if (!pressEveryFigure) return;
            }
    }
};

class WholeGame : public ::testing::TestWithParam<std::tuple<int, int>> {};

TEST_P(WholeGame, ThePlayersHitsChooseTheResultPicture) {
    // (Plain variables: lambdas of clang before 16 cannot capture bindings.)
    const int target = std::get<0>(GetParam());
    const int expectedPicture = std::get<1>(GetParam());
    Game g({.startTimeOfDayMs = kNoon + 1234});
    TImage* pictures[] = {g.form->Iperfect, g.form->Inobody, g.form->Iwhy, g.form->Iwinner, g.form->Igoback};
    Player player(g, target, target == 100);
    g.platform.Click(300, 10, 10);
    g.platform.Close(200000);
    auto inner = g.afterTick;
    g.afterTick = [&](uint64_t t) {
        inner(t);
        if (player.pictureShown == g.platform.Now()) {
            for (int i = 0; i < 5; ++i) EXPECT_EQ(pictures[i]->Visible(), i == expectedPicture) << i;
            g.platform.Click(g.platform.Now() + 100, 50, 50);
            g.platform.Close(g.platform.Now() + 300);
        }
    };
    g.Run();
    EXPECT_EQ(g.S().FiguresShown, 100);
    EXPECT_EQ(g.S().Hits, target);
    EXPECT_TRUE(player.invariantsHeld);
    EXPECT_LE(player.maxUp, 3);
    // The picture appears a little over 2.2 s after the tick that ended the game.
    ASSERT_GT(player.pictureShown, 0u);
    EXPECT_GE(player.pictureShown - player.endTick, 2201u);
    EXPECT_LE(player.pictureShown - player.endTick, 2215u);
    EXPECT_EQ(pictures[expectedPicture]->BoundsRect(), (TRect{0, 0, 384, 288}));
    // A click on the picture hides it; the repaint shows the counter line.
    char counter[8];
    std::snprintf(counter, sizeof counter, "%03d/100", target);
    EXPECT_EQ(g.Counter(), counter);
    EXPECT_EQ(g.S().GameState, IdleAfterGame);
    EXPECT_EQ(g.SoundAt(player.endTick + 700 + 5), g.form->WaveEnd);
}

INSTANTIATE_TEST_SUITE_P(Players, WholeGame,
                         ::testing::Values(std::tuple{0, 4}, std::tuple{69, 4}, std::tuple{70, 3}, std::tuple{89, 2},
                                           std::tuple{90, 1}, std::tuple{100, 0}));

TEST(Figures, RiseAndSinkThroughTheirFramesAndAHitShowsThenClears) {
    Game g({.startTimeOfDayMs = kNoon + 77});
    std::vector<int> frames;
    int col = -1, row = -1;
    uint64_t hitTick = 0, struckAt = 0;
    g.afterTick = [&](uint64_t t) {
        const TGameRecord& s = g.S();
        if (s.GameState != Playing) return;
        if (col < 0 && s.SlotStep[0] == 1) {
            col = s.SlotX[0] / 64;
            row = s.SlotY[0] / 64;
        }
        if (col >= 0 && frames.size() < 11 && hitTick == 0) {
            frames.push_back(g.BlorpFrameAt(col, row));
            if (frames.size() == 11) {
                // Now strike the next figure of slot 1 at its third step.
                hitTick = 1;
            }
            return;
        }
        if (hitTick == 1 && s.SlotStep[0] == 3 && s.SlotBase[0] != 15) {
            struckAt = t;
            g.platform.Click(t + 5, s.SlotX[0] + 1, s.SlotY[0] + 1);
            g.platform.Click(t + 30, s.SlotX[0] + 1, s.SlotY[0] + 1);  // struck already: counts nothing
            hitTick = 2;
            col = s.SlotX[0] / 64;
            row = s.SlotY[0] / 64;
        } else if (hitTick == 2) {
            const int f = g.BlorpFrameAt(col, row);
            EXPECT_GE(f, 22);
            EXPECT_LE(f, 24);
            EXPECT_EQ(g.SoundAt(t), g.form->WaveBucha);
            EXPECT_EQ(s.SlotHit[0], HitShown);
            EXPECT_EQ(s.SlotStep[0], 0);
            EXPECT_EQ(s.Hits, 1);
            g.platform.Click(t + 5, col * 64 + 1, row * 64 + 1);  // on the hit picture: nothing
            hitTick = 3;
        } else if (hitTick == 3) {
            EXPECT_TRUE(g.Black(col * 64 + 32, row * 64 + 32));
            EXPECT_EQ(s.SlotHit[0], HitCleared);
            EXPECT_EQ(s.Hits, 1);
            hitTick = 4;
            g.platform.Close(t + 1);
        }
    };
    g.platform.Click(300, 10, 10);
    g.platform.Close(120000);
    g.Run();
    ASSERT_EQ(frames.size(), 11u);
    const int b = frames[0] - 3;
    EXPECT_EQ(frames, (std::vector<int>{b + 3, b + 3, b + 2, b + 2, b + 1, b + 1, b + 2, b + 2, b + 3, b + 3, 0}));
    EXPECT_EQ(hitTick, 4u);
    EXPECT_GT(struckAt, 0u);
}

// Starts a game and calls `onTough` at the first tick that shows the tough
// figure at its first step in slot 1.
void WithToughFigure(Game& g, std::function<void(uint64_t, int, int)> onTough, std::function<void(uint64_t)> after) {
    bool seen = false;
    g.afterTick = [&g, seen, onTough, after](uint64_t t) mutable {
        const TGameRecord& s = g.S();
        if (s.GameState != Playing) return;
        if (!seen && s.SlotStep[0] == 1 && s.SlotBase[0] == 15) {
            seen = true;
            onTough(t, s.SlotX[0], s.SlotY[0]);
        } else if (seen) {
            after(t);
        }
    };
    g.platform.Click(300, 10, 10);
    g.platform.Close(120000);
}

TEST(Figures, TheToughFigureNeedsTwoPresses) {
    Game g;
    int ticksAfter = 0, x = 0, y = 0;
    WithToughFigure(
        g, [&](uint64_t t, int sx, int sy) { x = sx, y = sy, g.platform.Click(t + 5, sx + 3, sy + 3); },
        [&](uint64_t t) {
            ++ticksAfter;
            if (ticksAfter == 1) {
                EXPECT_EQ(g.S().SlotBase[0], 18);
                EXPECT_EQ(g.S().Hits, 0);
                EXPECT_EQ(g.BlorpFrameAt(x / 64, y / 64), 21);  // battered, faintest
                EXPECT_EQ(g.SoundAt(t - 80), g.form->WaveBofu);
                g.platform.Click(t + 5, x + 3, y + 3);
            } else if (ticksAfter == 2) {
                EXPECT_EQ(g.S().Hits, 1);
                g.platform.Close(t + 1);
            }
        });
    g.Run();
    EXPECT_EQ(ticksAfter, 2);
}

TEST(Figures, AQuickDoublePressOnTheToughFigureCounts) {
    Game g;
    bool checked = false;
    WithToughFigure(
        g,
        [&](uint64_t t, int sx, int sy) {
            g.platform.Click(t + 5, sx + 3, sy + 3, platform::Button::Middle);
            g.platform.Click(t + 40, sx + 3, sy + 3, platform::Button::Middle);
        },
        [&](uint64_t t) {
            if (checked) return;
            checked = true;
            EXPECT_EQ(g.S().Hits, 1);
            g.platform.Close(t + 1);
        });
    g.Run();
    EXPECT_TRUE(checked);
}

TEST(Figures, AToughFigureThatSinksAfterOneBlowCountsNothing) {
    Game g;
    int ticksAfter = 0;
    WithToughFigure(
        g, [&](uint64_t t, int sx, int sy) { g.platform.Click(t + 5, sx, sy); },
        [&](uint64_t t) {
            if (++ticksAfter == 12) {
                EXPECT_EQ(g.S().Hits, 0);
                g.platform.Close(t + 1);
            }
        });
    g.Run();
    EXPECT_EQ(ticksAfter, 12);
}

TEST(Result, ClickReturnsToThePromptAndARepaintRestoresTheCounter) {
    Game g({.startTimeOfDayMs = kNoon + 555});
    Player player(g, 0);
    uint64_t clickAt = 0;
    auto inner = g.afterTick;
    std::vector<std::pair<uint64_t, int>> prompt;
    g.afterTick = [&](uint64_t t) {
        inner(t);
        if (player.pictureShown && !clickAt) {
            clickAt = g.platform.Now() + 300;
            g.platform.Click(clickAt, 384, 100);      // the uncovered strip: nothing
            g.platform.Click(clickAt + 20, 100, 100, platform::Button::Right);  // right: nothing
            g.platform.Click(clickAt + 50, 100, 100);
            g.platform.Expose(clickAt + 700, {0, 0, 385, 289});
            g.platform.Close(clickAt + 1000);
        }
        if (clickAt && t > clickAt) prompt.emplace_back(t, g.PromptFrame());
    };
    g.platform.Click(300, 10, 10);
    g.platform.Close(200000);
    g.Run();
    ASSERT_GT(clickAt, 0u);
    EXPECT_EQ(g.S().GameState, IdleAfterGame);
    EXPECT_FALSE(g.form->Igoback->Visible());
    EXPECT_EQ(g.form->Timer1->Interval(), 200);
    ASSERT_GE(prompt.size(), 4u);
    EXPECT_EQ(prompt[0].second, 0);
    EXPECT_EQ(prompt[1].second, 1);
    EXPECT_EQ(prompt[1].first - prompt[0].first, 200u);
    EXPECT_EQ(g.Counter(), "000/100");  // the repaint after the expose drew it
    EXPECT_TRUE(g.Black(10, 10));
}

TEST(Result, ADoubleClickOnThePictureStartsTheNextGameAtOnce) {
    Game g({.startTimeOfDayMs = kNoon + 999});
    Player player(g, 0);
    uint64_t clickAt = 0;
    auto inner = g.afterTick;
    g.afterTick = [&](uint64_t t) {
        inner(t);
        if (player.pictureShown && !clickAt) {
            clickAt = g.platform.Now() + 300;
            g.platform.Click(clickAt, 100, 100);
            g.platform.Click(clickAt + 100, 100, 100);
            g.platform.Close(clickAt + 200);
        }
    };
    g.platform.Click(300, 10, 10);
    g.platform.Close(200000);
    g.Run();
    // The close came during the start pause; the start ran to its end.
    EXPECT_EQ(g.S().GameState, Playing);
    EXPECT_EQ(g.S().Hits, 0);
    EXPECT_EQ(g.SoundAt(clickAt + 101), g.form->WaveStart);
}

TEST(BusyWait, APauseStartingJustBeforeTheCounterWrapsLastsItsTime) {
    Game g({.startTick = 0xFFFFFFFFu - 800});
    uint64_t firstGameTick = 0;
    g.afterTick = [&](uint64_t t) {
        if (g.S().GameState == Playing && !firstGameTick) firstGameTick = t;
    };
    g.platform.Click(300, 10, 10);
    g.platform.Close(2000);
    g.Run();
    ASSERT_GT(firstGameTick, 0u);
    EXPECT_GE(firstGameTick, 300u + 1002u + 90u);
    EXPECT_LE(firstGameTick, 300u + 1002u + 92u);
}

}  // namespace
}  // namespace skr::test

namespace skr::test {
namespace {

// This test program carries no resources: the window's definition is missing.
TEST(StartUp, AMissingDefinitionEndsTheProgramWithTheFatalBox) {
    platform::HeadlessPlatform p;
    EXPECT_EQ(RunProgram(p, BuildForm1), 1);
    ASSERT_EQ(p.ErrorBoxes().size(), 1u);
    EXPECT_EQ(p.ErrorBoxes()[0].title, "アプリケーション エラー");
    EXPECT_EQ(p.ErrorBoxes()[0].text,
              "EResNotFoundがモジュール Skrundle.exe の 00000000 で発生しました。\nTForm1 リソースが見つかりません.");
    EXPECT_FALSE(p.Shown().has_value());
    EXPECT_EQ(Form1, nullptr);
}

}  // namespace
}  // namespace skr::test
