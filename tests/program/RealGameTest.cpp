// Whole games on the program's embedded form definition, on the headless
// platform: the real window, components, art and sounds.
#include <gtest/gtest.h>

#include "app/Application.h"
#include "app/Image.h"
#include "app/Program.h"
#include "app/Timer.h"
#include "components/WavePlay.h"
#include "game/Unit1.h"
#include "platform/headless/HeadlessPlatform.h"

namespace skr {
namespace {

// Runs the whole program, start-up included, with a player who never
// clicks after the press that starts the game.
struct RealGame {
    platform::HeadlessPlatform p;
    std::string shown;
    int promptPixels = 0;
    int exitCode = -1;

    explicit RealGame(uint32_t timeOfDay) : p({.startTimeOfDayMs = timeOfDay}) {}

    void Play() {
        p.Click(400, 200, 100);
        exitCode = RunProgram(p, [this]() {
            TForm* form = BuildForm1();
            TNotifyEvent tick = Form1->Timer1->OnTimer;
            Form1->Timer1->SetOnTimer(TNotifyEvent{[this, tick](TObject* sender) {
                                                        tick(sender);
                                                        AfterTick();
                                                    },
                                                    "Timer1Timer"});
            return form;
        });
    }

    void AfterTick() {
        const TGameRecord& s = Form1->State();
        if (s.GameState == Idle && promptPixels == 0)
            for (int x = 92; x < 292; ++x) promptPixels += p.Pixel(x, 211) != 0;
        if (s.GameState == GameOver) {
            for (TImage* pic : {Form1->Iperfect, Form1->Inobody, Form1->Iwhy, Form1->Iwinner, Form1->Igoback})
                if (pic->Visible()) shown = pic->Name();
            p.Close(p.Now() + 50);
            return;
        }
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
        TImage* shown = nullptr;
        int32_t hits = -1, figures = -1;
        uint32_t centre = 0;
        TNotifyEvent tick = form->Timer1->OnTimer;
        form->Timer1->SetOnTimer(TNotifyEvent{[&](TObject* sender) {
                                                  tick(sender);
                                                  const TGameRecord& s = form->State();
                                                  if (s.GameState == GameOver) {
                                                      for (TImage* pic : {form->Iperfect, form->Inobody, form->Iwhy,
                                                                          form->Iwinner, form->Igoback})
                                                          if (pic->Visible()) shown = pic;
                                                      hits = s.Hits;
                                                      figures = s.FiguresShown;
                                                      p.Close(p.Now() + 100);
                                                      return;
                                                  }
                                                  if (s.GameState != Playing || !perfect) return;
                                                  for (int i = 0; i < s.ActiveSlots; ++i)
                                                      if (s.SlotStep[i] > 0 && s.SlotStep[i] < 10 && s.SlotHit[i] == HitNone)
                                                          p.Click(p.Now() + 3, s.SlotX[i] + 20, s.SlotY[i] + 20);
                                              },
                                              "Timer1Timer"});
        form->DoCreate();
        p.Click(400, 200, 100);
        app.Run();
        centre = p.Pixel(192, 144);
        EXPECT_EQ(figures, 100);
        EXPECT_EQ(hits, perfect ? 100 : 0);
        EXPECT_EQ(shown, perfect ? form->Iperfect : form->Igoback);
        EXPECT_NE(centre, 0u);  // the decoded picture is on the screen
        EXPECT_TRUE(p.ErrorBoxes().empty());
    }
}

}  // namespace
}  // namespace skr
