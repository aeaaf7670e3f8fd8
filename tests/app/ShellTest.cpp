#include <gtest/gtest.h>

#include "ShellFixture.h"
#include "app/Program.h"
#include "core/Exception.h"

namespace skr::test {
namespace {

TEST(Timer, FirstTickOneIntervalAfterBindingAndThenEveryInterval) {
    Shell s;
    s.platform.Close(1010);
    s.Run();
    ASSERT_GE(s.form->ticks.size(), 4u);
    EXPECT_EQ(s.form->ticks[0], 250u);
    EXPECT_EQ(s.form->ticks[1], 500u);
    EXPECT_EQ(s.form->ticks[3], 1000u);
}

TEST(Timer, SameIntervalKeepsThePeriodAndANewOneRestartsIt) {
    Shell s;
    s.form->onTick = [&] {
        if (s.form->ticks.size() == 1) s.form->Timer1->SetInterval(90);  // 250 -> 90: next 90 ms later
        if (s.form->ticks.size() == 2) s.form->Timer1->SetInterval(90);  // unchanged: no delay
    };
    s.platform.Close(600);
    s.Run();
    ASSERT_GE(s.form->ticks.size(), 4u);
    EXPECT_EQ(s.form->ticks[1] - s.form->ticks[0], 90u);
    EXPECT_EQ(s.form->ticks[2] - s.form->ticks[1], 90u);
    EXPECT_EQ(s.form->ticks[3] - s.form->ticks[2], 90u);
}

TEST(Timer, DisablingAndEnablingRestartsAFullInterval) {
    Shell s;
    s.form->onTick = [&] {
        if (s.form->ticks.size() == 1) {
            s.form->Timer1->SetEnabled(false);
            s.form->Timer1->SetEnabled(false);
            s.platform.AdvanceTo(s.platform.Now() + 100);
            s.form->Timer1->SetEnabled(true);
        }
    };
    s.platform.Close(700);
    s.Run();
    ASSERT_GE(s.form->ticks.size(), 2u);
    EXPECT_EQ(s.form->ticks[1], 250u + 100u + 250u);
}

TEST(Timer, TicksMergeAfterALongHandler) {
    Shell s;
    s.form->onTick = [&] {
        if (s.form->ticks.size() == 1) s.platform.AdvanceTo(s.platform.Now() + 1000);  // four periods pass
    };
    s.platform.Close(1600);
    s.Run();
    ASSERT_GE(s.form->ticks.size(), 3u);
    EXPECT_NEAR(double(s.form->ticks[1]), 1250.0, 2.0);  // one merged tick, at once
    EXPECT_EQ(s.form->ticks[2], 1500u);  // then the period goes on
}

TEST(Timer, TicksAreDispatchedInsideABusyWait) {
    Shell s;
    bool waited = false;
    std::vector<uint64_t> nested;
    s.form->onTick = [&] {
        if (waited) {
            nested.push_back(s.platform.Now());
            return;
        }
        waited = true;
        s.BusyWait(600);
        waited = false;
    };
    s.platform.Close(900);
    s.Run();
    ASSERT_GE(nested.size(), 2u);
    EXPECT_EQ(nested[0], 500u);
    EXPECT_EQ(nested[1], 750u);
}

TEST(Timer, RefusedTimerRaisesAndStaysStopped) {
    Shell s;
    s.app->SetTimerCapacity(1);
    TTimer second(nullptr);
    second.SetInterval(100);
    try {
        second.SetOnTimer(TNotifyEvent{[](TObject*) {}, "x"});
        FAIL();
    } catch (const EOutOfResources& e) {
        EXPECT_EQ(e.Message(), "タイマーを取得できません");
    }
    EXPECT_FALSE(second.Running());
}

TEST(Mouse, PressesOnAVisiblePictureReachOnlyItsClickHandler) {
    Shell s;
    s.form->onTick = [&] {
        if (s.form->ticks.size() == 1) s.form->Pic2->SetVisible(true);
    };
    s.platform.Click(300, 10, 10);                                       // left: a click
    s.platform.Click(400, 10, 10, platform::Button::Right);              // right: nothing
    s.platform.Click(500, 10, 10, platform::Button::Middle);             // middle: nothing
    s.platform.Press(600, 10, 10);                                       // moved off before release
    s.platform.Post(602, {.type = platform::EventType::PointerMove, .x = 390, .y = 10});
    s.platform.Release(603, 390, 10);
    s.platform.Close(700);
    s.Run();
    EXPECT_TRUE(s.form->presses.empty());
    ASSERT_EQ(s.form->clicks.size(), 1u);
    EXPECT_EQ(s.form->clicks[0].first, 301u);
    EXPECT_EQ(s.form->clicks[0].second, s.form->Pic2);
}

TEST(Mouse, DoubleClickOnTheWindowCallsThePressHandlerTwice) {
    Shell s;
    s.platform.Click(100, 50, 60);
    s.platform.Click(150, 51, 61);
    s.platform.Click(200, 51, 61);  // after a double click a press is plain again
    s.platform.Press(300, 5, 6, platform::Button::Right);
    s.platform.Close(400);
    s.Run();
    ASSERT_EQ(s.form->presses.size(), 4u);
    EXPECT_FALSE(s.form->presses[0].shift & ssDouble);
    EXPECT_TRUE(s.form->presses[1].shift & ssDouble);
    EXPECT_EQ(s.form->presses[1].x, 51);
    EXPECT_FALSE(s.form->presses[2].shift & ssDouble);
    EXPECT_EQ(s.form->presses[3].button, TMouseButton::mbRight);
    EXPECT_TRUE(s.form->presses[3].shift & ssRight);
}

TEST(Mouse, DoubleClickOnAPictureClicksItThenPressesTheWindow) {
    Shell s;
    s.form->onTick = [&] {
        if (s.form->ticks.size() == 1) s.form->Pic1->SetVisible(true);
    };
    s.form->onClick = [&](TObject* sender) { static_cast<TImage*>(sender)->SetVisible(false); };
    s.platform.Click(300, 100, 100);
    s.platform.Click(350, 100, 100);
    s.platform.Close(500);
    s.Run();
    ASSERT_EQ(s.form->clicks.size(), 1u);
    ASSERT_EQ(s.form->presses.size(), 1u);
    EXPECT_TRUE(s.form->presses[0].shift & ssDouble);
}

TEST(Mouse, ADoubleClickPressOnAPictureIsNoClick) {
    Shell s;
    s.form->onTick = [&] {
        if (s.form->ticks.size() == 1) s.form->Pic1->SetVisible(true);
    };
    s.platform.Click(300, 100, 100);
    s.platform.Click(350, 100, 100);
    s.platform.Close(500);
    s.Run();
    EXPECT_EQ(s.form->clicks.size(), 1u);
    EXPECT_TRUE(s.form->presses.empty());
}

TEST(Mouse, APressOutsideANarrowedPictureReachesTheWindow) {
    Shell s;
    s.form->onTick = [&] {
        if (s.form->ticks.size() == 1) {
            s.form->Pic1->SetVisible(true);
            s.form->Pic1->SetBounds(0, 0, 384, 288);
        }
    };
    s.platform.Click(300, 384, 100);
    s.platform.Click(400, 383, 287);
    s.platform.Close(500);
    s.Run();
    ASSERT_EQ(s.form->presses.size(), 1u);
    EXPECT_EQ(s.form->presses[0].x, 384);
    EXPECT_EQ(s.form->clicks.size(), 1u);
}

TEST(Repaint, ExposeFillsWithTheColourAndCallsThePaintHandler) {
    Shell s;
    s.form->onTick = [&] {
        if (s.form->ticks.size() == 1) s.form->Canvas().Brush.Color = 0x0000FF, s.form->Canvas().FillRect({0, 0, 385, 289});
    };
    s.platform.Expose(300, {10, 10, 20, 20});
    s.platform.Close(400);
    s.Run();
    EXPECT_EQ(s.form->paints.size(), 2u);  // the first show, then the expose
    EXPECT_EQ(s.platform.Pixel(15, 15), 0u);       // filled black again
    EXPECT_EQ(s.platform.Pixel(25, 25), 0xFF0000u);  // outside the exposed part: as drawn
}

TEST(Repaint, AnOpaquePictureCoveringTheAreaSkipsThePaintHandler) {
    Shell s;
    s.form->onTick = [&] {
        if (s.form->ticks.size() == 1) s.form->Pic1->SetVisible(true);
        if (s.form->ticks.size() == 2) s.form->Pic1->SetVisible(false);
    };
    s.platform.Expose(300, {0, 0, 385, 289});
    s.platform.Close(600);
    s.Run();
    // Show (paint), showing the picture (no paint), expose (no paint), hiding (paint).
    ASSERT_EQ(s.form->paints.size(), 2u);
    EXPECT_NEAR(double(s.form->paints[1]), 500.0, 2.0);
    EXPECT_EQ(s.platform.Pixel(100, 100), 0u);
}

TEST(Repaint, ThePictureRepaintsOverWhatHandlersDrew) {
    {
    Shell s;
    s.form->onTick = [&] {
        if (s.form->ticks.size() == 1) s.form->Pic1->SetVisible(true);
        if (s.form->ticks.size() == 2) s.form->Canvas().Brush.Color = 0xFFFFFF, s.form->Canvas().FillRect({0, 0, 50, 50});
    };
    s.platform.Close(520);
    s.Run();
    EXPECT_EQ(s.platform.Pixel(10, 10), 0xFFFFFFu);   // drawn over the picture, not kept...
    EXPECT_EQ(s.platform.Pixel(100, 100), 0x00FF00u);
    }
    Shell t;
    t.form->onTick = [&] {
        if (t.form->ticks.size() == 1) t.form->Pic1->SetVisible(true);
        if (t.form->ticks.size() == 2) t.form->Canvas().Brush.Color = 0xFFFFFF, t.form->Canvas().FillRect({0, 0, 50, 50});
    };
    t.platform.Expose(600, {0, 0, 385, 289});
    t.platform.Close(700);
    t.Run();
    EXPECT_EQ(t.platform.Pixel(10, 10), 0x00FF00u);  // ...the repaint restores the picture
}

TEST(Loop, CloseDuringABusyWaitEndsAfterTheWaitingHandler) {
    Shell s;
    bool finished = false;
    s.form->onTick = [&] {
        if (s.form->ticks.size() > 1) return;
        s.BusyWait(500);
        finished = true;
    };
    s.platform.Close(300);
    s.Run();
    EXPECT_TRUE(finished);
    EXPECT_TRUE(s.app->Terminated());
    EXPECT_GE(s.platform.Now(), 750u);
}

TEST(Loop, HandlerErrorsAreShownAndTheLoopGoesOn) {
    Shell s;
    s.form->onTick = [&] {
        if (s.form->ticks.size() == 1) throw EInvalidOperation("TBitmapList: Invalid Index");
        if (s.form->ticks.size() == 2) throw EInvalidOperation("ends with a stop.");
    };
    s.platform.Close(800);
    s.Run();
    EXPECT_GE(s.form->ticks.size(), 3u);
    ASSERT_EQ(s.platform.ErrorBoxes().size(), 2u);
    EXPECT_EQ(s.platform.ErrorBoxes()[0].title, "Skrundle");
    EXPECT_EQ(s.platform.ErrorBoxes()[0].text, "TBitmapList: Invalid Index.");
    EXPECT_EQ(s.platform.ErrorBoxes()[1].text, "ends with a stop.");
}

TEST(Program, TitleComesFromTheExecutableName) {
    EXPECT_EQ(TitleFromModuleName("/usr/games/SKRUNDLE.EXE"), "Skrundle");
    EXPECT_EQ(TitleFromModuleName("C:\\Games\\project1.v2.exe"), "project1");
    EXPECT_EQ(TitleFromModuleName("skrundle"), "skrundle");
}

TEST(Program, AStartUpErrorShowsTheFatalBoxAndExitsWithOne) {
    platform::HeadlessPlatform p;
    const int code = RunProgram(p, []() -> TForm* { throw EReadError("ストリームからの読み込みエラー"); });
    EXPECT_EQ(code, 1);
    ASSERT_EQ(p.ErrorBoxes().size(), 1u);
    EXPECT_EQ(p.ErrorBoxes()[0].title, "アプリケーション エラー");
    EXPECT_EQ(p.ErrorBoxes()[0].text,
              "EReadErrorがモジュール Skrundle.exe の 00000000 で発生しました。\nストリームからの読み込みエラー.");
    EXPECT_FALSE(p.Shown().has_value());
}

// The platform refusing the window, and a client area larger than any
// screen (whose surface the platform is never asked to make).
TEST(Program, AWindowThePlatformCannotCreateIsAFatalError) {
    for (const int width : {385, TForm::kMaxClientSide + 1}) {
        platform::HeadlessPlatform p({.canCreateWindow = width > TForm::kMaxClientSide});
        const int code = RunProgram(p, [&] {
            auto* f = new TForm(nullptr);
            f->SetClientWidth(width);
            return f;
        });
        EXPECT_EQ(code, 1);
        ASSERT_EQ(p.ErrorBoxes().size(), 1u);
        EXPECT_NE(p.ErrorBoxes()[0].text.find("ウィンドウを作成できません"), std::string::npos);
        EXPECT_EQ(p.Screen().pixels, nullptr);
    }
}

TEST(Program, FormCreateErrorsAreShownAndStartUpGoesOnToExitCodeZero) {
    platform::HeadlessPlatform p({.launchShow = platform::ShowState::Maximized});
    p.Close(10);
    const int code = RunProgram(p, []() {
        auto* f = new TForm(nullptr);
        f->OnCreate = TNotifyEvent{[](TObject*) { throw EConvertError("bad"); }, "FormCreate"};
        return f;
    });
    EXPECT_EQ(code, 0);
    ASSERT_EQ(p.ErrorBoxes().size(), 1u);
    EXPECT_EQ(p.ErrorBoxes()[0].text, "bad.");
    EXPECT_EQ(p.Shown(), platform::ShowState::Maximized);
}

}  // namespace
}  // namespace skr::test
