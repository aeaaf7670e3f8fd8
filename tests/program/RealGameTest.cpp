// Whole games on the program's embedded form definition, on the headless
// platform: the real window, components, art and sounds.
#include <gtest/gtest.h>

#include <optional>

#include "app/Application.h"
#include "app/Image.h"
#include "app/Program.h"
#include "game/Unit1.h"
#include "platform/headless/HeadlessPlatform.h"
#include "support/Player.h"

namespace skr {
namespace {

// Runs the whole program, start-up included, with a player who never
// clicks after the press that starts the game.
struct RealGame {
    platform::HeadlessPlatform p;
    std::optional<test::Player> player;
    std::string shown;
    int promptPixels = 0;
    int exitCode = -1;

    explicit RealGame(uint32_t timeOfDay) : p({.startTimeOfDayMs = timeOfDay}) {}

    void Play() {
        exitCode = RunProgram(p, [this]() {
            TForm* form = BuildForm1();
            player.emplace(p, *Form1);
            player->afterTick = [this] {
                if (Form1->State().GameState == Idle && promptPixels == 0)
                    for (int x = 92; x < 292; ++x) promptPixels += p.Pixel(x, 211) != 0;
            };
            player->gameOver = [this](const test::GameResult& r) {
                if (r.picture) shown = r.picture->Name();
                return false;
            };
            player->Start(400);
            return form;
        });
    }
};

TEST(RealGame, APlayerWhoNeverClicksGetsTheConsolationPicture) {
    RealGame g(12 * 3600 * 1000 + 4321);
    g.Play();
    EXPECT_EQ(g.exitCode, 0);
    EXPECT_GT(g.promptPixels, 50);  // the prompt shows before the game
    EXPECT_EQ(g.shown, "Igoback");
    EXPECT_TRUE(g.p.ErrorBoxes().empty());
}

TEST(RealGame, WholeGamesEndWithThePictureForTheirHits) {
    for (bool perfect : {false, true}) {
        SCOPED_TRACE(perfect);
        platform::HeadlessPlatform p({.startTimeOfDayMs = 12 * 3600 * 1000 + 777});
        TApplication app(p);
        BuildForm1();
        TForm1* form = Form1;
        test::Player player(p, *form);
        player.strikeEvery = perfect ? 1 : 0;
        test::GameResult result;
        player.gameOver = [&](const test::GameResult& r) {
            result = r;
            return false;
        };
        form->DoCreate();
        player.Start(400);
        app.Run();
        const uint32_t centre = p.Pixel(192, 144);
        EXPECT_EQ(result.figures, 100);
        EXPECT_EQ(result.hits, perfect ? 100 : 0);
        EXPECT_EQ(result.picture, perfect ? form->Iperfect : form->Igoback);
        EXPECT_NE(centre, 0u);  // the decoded picture is on the screen
        EXPECT_TRUE(p.ErrorBoxes().empty());
    }
}

}  // namespace
}  // namespace skr
