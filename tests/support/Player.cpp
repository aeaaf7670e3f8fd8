#include "support/Player.h"

#include "app/Image.h"
#include "app/Timer.h"

namespace skr::test {

Player::Player(platform::HeadlessPlatform& platform, TForm1& form)
    : platform_(platform), form_(form), tick_(form.Timer1->OnTimer) {
    form.Timer1->SetOnTimer(TNotifyEvent{[this](TObject* sender) {
                                             tick_(sender);
                                             AfterTick();
                                         },
                                         tick_.name});
}

void Player::Start(uint64_t at) {
    platform_.Click(at, 200, 100);
    startedAt_ = at;
}

void Player::AfterTick() {
    if (afterTick) afterTick();
    const TGameRecord& s = form_.State();
    if (s.GameState == GameOver && lastState_ != GameOver) {
        ++games_;
        GameResult r{.hits = s.Hits, .figures = s.FiguresShown, .picture = nullptr,
                     .lengthMs = platform_.Now() - startedAt_};
        for (TImage* pic : {form_.Iperfect, form_.Inobody, form_.Iwhy, form_.Iwinner, form_.Igoback})
            if (pic->Visible()) r.picture = pic;
        platform_.ClearSounds();
        if (gameOver && gameOver(r)) {
            platform_.Click(platform_.Now() + 5, 192, 144);
            Start(platform_.Now() + 300);
        } else {
            platform_.Close(platform_.Now() + 50);
        }
    }
    lastState_ = s.GameState;
    if (s.GameState != Playing || strikeEvery == 0 || games_ % strikeEvery != 0) return;
    for (int i = 0; i < s.ActiveSlots; ++i)
        if (s.SlotStep[i] > 0 && s.SlotStep[i] < 10 && s.SlotHit[i] == HitNone)
            platform_.Click(platform_.Now() + 3, s.SlotX[i] + 20, s.SlotY[i] + 20);
}

}  // namespace skr::test
