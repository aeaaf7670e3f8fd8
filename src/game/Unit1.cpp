#include "game/Unit1.h"

#include "app/Application.h"
#include "app/Image.h"
#include "app/Program.h"
#include "app/Timer.h"
#include "components/BmpList.h"
#include "components/WavePlay.h"
#include "core/Exception.h"
#include "core/Text.h"
#include "gfx/StandardGraphics.h"

namespace skr {

TForm1* Form1 = nullptr;
uint32_t RandSeed = 0;

namespace {

// Frame offset from the slot's base at each animation step (1 to 10); step
// 11 draws the empty cell, frame 0.
constexpr int32_t kRiseOffset[12] = {0, 3, 3, 2, 2, 1, 1, 2, 2, 3, 3, 0};

constexpr int kToughBase = 15;
constexpr int kBatteredBase = 18;
constexpr int kFirstHitFrame = 22;

constexpr const char* kComponentMissing = "コンポーネント %s が見つかりません";

}  // namespace

const TClassInfo& TForm1::StaticClass() {
    static const TMethodEntry methods[] = {
        MouseMethod<&TForm1::FormMouseDown>("FormMouseDown"),
        NotifyMethod<&TForm1::FormCreate>("FormCreate"),
        NotifyMethod<&TForm1::Timer1Timer>("Timer1Timer"),
        NotifyMethod<&TForm1::IperfectClick>("IperfectClick"),
        NotifyMethod<&TForm1::FormPaint>("FormPaint"),
        NotifyMethod<&TForm1::InobodyClick>("InobodyClick"),
        NotifyMethod<&TForm1::IwhyClick>("IwhyClick"),
        NotifyMethod<&TForm1::IwinnerClick>("IwinnerClick"),
        NotifyMethod<&TForm1::IgobackClick>("IgobackClick"),
    };
    static const TFieldEntry fields[] = {
        FieldRef<&TForm1::BitmapBlorp>("BitmapBlorp"), FieldRef<&TForm1::BitmapClick>("BitmapClick"),
        FieldRef<&TForm1::BitmapNumber>("BitmapNumber"), FieldRef<&TForm1::Timer1>("Timer1"),
        FieldRef<&TForm1::WaveStart>("WaveStart"),     FieldRef<&TForm1::WaveBucha>("WaveBucha"),
        FieldRef<&TForm1::WaveBofu>("WaveBofu"),       FieldRef<&TForm1::WaveEnd>("WaveEnd"),
        FieldRef<&TForm1::Iperfect>("Iperfect"),       FieldRef<&TForm1::Inobody>("Inobody"),
        FieldRef<&TForm1::Iwhy>("Iwhy"),               FieldRef<&TForm1::Iwinner>("Iwinner"),
        FieldRef<&TForm1::Igoback>("Igoback"),
    };
    static const TClassInfo info{.name = "TForm1", .parent = &TForm::StaticClass(), .methods = methods, .fields = fields};
    return info;
}

TForm1::TForm1(TComponent* owner) : TForm(owner) {}

// A damaged definition can read without error and still leave out one of
// the components the handlers use (a renamed one, one of another class, or
// records swallowed by a binary length): the window is not built then.
void TForm1::Loaded() {
    TForm::Loaded();
    for (const TFieldEntry& f : StaticClass().fields) {
        const TComponent* c = FindComponent(f.name);
        if (!c || !c->InheritsFrom(f.cls()))
            throw EReadError(Format(kComponentMissing, std::string(f.name).c_str()));
    }
}

TForm1::~TForm1() {
    if (Form1 == this) Form1 = nullptr;
}

// --- random numbers ------------------------------------------------------------

void ReseedFromClock() {
    const TSystemTime t = GetSystemTime();
    RandSeed = static_cast<uint32_t>(((t.wHour * 60 + t.wMinute) * 60 + t.wSecond) * 1000 + t.wMilliseconds);
}

int32_t RandomBelow(int32_t n) {
    RandSeed = RandSeed * 134775813u + 1u;
    return static_cast<int32_t>((uint64_t(static_cast<uint32_t>(n)) * RandSeed) >> 32);
}

// --- creation, prompt, counter ---------------------------------------------------

void TForm1::FormCreate(TObject*) {
    state_.GameState = Idle;
    ResetCounts();
    HideResultPictures();
}

// What both the window's creation and the start of a game reset; the slots'
// cells and frames are kept.
void TForm1::ResetCounts() {
    state_.PromptFrame = 0;
    state_.PromptStep = 0;
    state_.Hits = 0;
    state_.FiguresShown = 0;
    for (int i = 0; i < 3; ++i) {
        state_.SlotStep[i] = 0;
        state_.SlotHit[i] = HitNone;
    }
    state_.ActiveSlots = 1;
}

void TForm1::HideResultPictures() {
    Iperfect->SetVisible(false);
    Inobody->SetVisible(false);
    Iwhy->SetVisible(false);
    Iwinner->SetVisible(false);
    Igoback->SetVisible(false);
}

void TForm1::PromptStepTick() {
    BitmapClick->Draw(Canvas(), 92, 200, state_.PromptFrame);
    if (state_.PromptFrame == 0) state_.PromptStep = 1;
    if (state_.PromptFrame == 2) state_.PromptStep = -1;
    state_.PromptFrame += state_.PromptStep;
}

// The counter line: hits, a slash and figures shown, three digits each.
void TForm1::DrawCounter() {
    const int32_t h = state_.Hits, f = state_.FiguresShown;
    BitmapNumber->Draw(Canvas(), 136, 256, h / 100);
    BitmapNumber->Draw(Canvas(), 152, 256, h % 100 / 10);
    BitmapNumber->Draw(Canvas(), 168, 256, h % 10);
    BitmapNumber->Draw(Canvas(), 184, 256, 10);
    BitmapNumber->Draw(Canvas(), 200, 256, f / 100);
    BitmapNumber->Draw(Canvas(), 216, 256, f % 100 / 10);
    BitmapNumber->Draw(Canvas(), 232, 256, f % 10);
}

void TForm1::FillWithColor(const TRect& r) {
    Canvas().Brush.Color = static_cast<TColor>(Color());
    Canvas().FillRect(r);
}

// --- control and pointer input -----------------------------------------------------

void TForm1::BusyWait(uint32_t d) {
    const uint32_t start = GetTickCount();
    do {
        Application()->ProcessMessages();
    } while (GetTickCount() - start <= d);
}

void TForm1::FormMouseDown(TObject*, TMouseButton, TShiftState, int X, int Y) {
    if (state_.GameState == Idle || state_.GameState == IdleAfterGame) StartGame();
    else StrikeAt(X, Y);
}

void TForm1::StartGame() {
    ResetCounts();
    state_.GameState = Starting;
    HideResultPictures();
    DrawCounter();
    BitmapClick->Draw(Canvas(), 92, 200, 0);
    Form1->WaveStart->Play();
    // Ticks, presses and repaints that come meanwhile do nothing: the game
    // is Starting.
    BusyWait(1001);
    FillWithColor({72, 90, 312, 232});
    state_.GameState = Playing;
    Timer1->SetInterval(90);
}

void TForm1::StrikeAt(int X, int Y) {
    const int32_t n = state_.ActiveSlots;
    for (int i = 0; i < n; ++i) {
        if (state_.GameState != Playing || state_.SlotHit[i] != HitNone || state_.SlotStep[i] <= 0) continue;
        if (X / 64 != state_.SlotX[i] / 64 || Y / 64 != state_.SlotY[i] / 64) continue;
        if (state_.SlotBase[i] == kToughBase) {
            // The tough figure's first blow only dents it.
            state_.SlotBase[i] = kBatteredBase;
            Form1->WaveBofu->Play();
        } else {
            state_.SlotHit[i] = HitStruck;
            ++state_.Hits;
            DrawCounter();
        }
    }
}

void TForm1::FormPaint(TObject*) {
    if (state_.GameState == IdleAfterGame) DrawCounter();
}

void TForm1::ResultClick(TImage* picture) {
    Timer1->SetInterval(200);
    state_.GameState = IdleAfterGame;
    picture->SetVisible(false);
    Timer1->SetEnabled(true);
}

void TForm1::IperfectClick(TObject*) { ResultClick(Iperfect); }
void TForm1::InobodyClick(TObject*) { ResultClick(Inobody); }
void TForm1::IwhyClick(TObject*) { ResultClick(Iwhy); }
void TForm1::IwinnerClick(TObject*) { ResultClick(Iwinner); }
void TForm1::IgobackClick(TObject*) { ResultClick(Igoback); }

// --- the game tick -----------------------------------------------------------------

void TForm1::Timer1Timer(TObject*) {
    if (state_.GameState == Idle || state_.GameState == IdleAfterGame) PromptStepTick();
    else if (state_.GameState == Playing) ServeSlots();
    if (state_.GameState == GameOver) EndSequence();
}

void TForm1::ServeSlots() {
    DrawCounter();
    ReseedFromClock();
    TGameRecord& s = state_;
    const int32_t n = s.ActiveSlots;
    for (int i = 0; i < n; ++i) {
        if (s.SlotHit[i] == HitShown) {
            FillWithColor(Bounds(s.SlotX[i], s.SlotY[i], 64, 64));
            s.SlotHit[i] = HitCleared;
            continue;
        }
        if (s.SlotHit[i] == HitStruck) {
            s.SlotStep[i] = 0;
            s.SlotHit[i] = HitShown;
            ReseedFromClock();
            s.SlotBase[i] = kFirstHitFrame + RandomBelow(3);
            BitmapBlorp->Draw(Canvas(), s.SlotX[i], s.SlotY[i], s.SlotBase[i]);
            Form1->WaveBucha->Play();
            continue;
        }
        if (s.SlotStep[i] == 0) {
            // A free slot tries to spawn in 12 of 70 ticks.
            s.SpawnRoll = RandomBelow(70);
            s.SpawnRoll = s.SpawnRoll % 6;
            if (s.SpawnRoll > 0) continue;
        }
        if (s.SlotStep[i] == 0) {
            s.SlotX[i] = RandomBelow(6) * 64;
            s.SlotY[i] = RandomBelow(4) * 64;
            s.SlotBase[i] = RandomBelow(6) * 3;
            // A cell stored for another slot, up or not, blocks the spawn.
            bool blocked = false;
            for (int b = 0; b < s.ActiveSlots; ++b)
                if (b != i && s.SlotX[b] == s.SlotX[i] && s.SlotY[b] == s.SlotY[i]) blocked = true;
            if (blocked) continue;
            ++s.FiguresShown;
            if (s.FiguresShown > 10) s.ActiveSlots = 2;
            if (s.FiguresShown > 70) s.ActiveSlots = 3;
            if (s.FiguresShown > 100) {
                s.FiguresShown = 100;
                continue;
            }
            DrawCounter();
        }
        ++s.SlotStep[i];
        s.SlotFrame[i] = s.SlotStep[i] >= 11 ? 0 : s.SlotBase[i] + kRiseOffset[s.SlotStep[i]];
        BitmapBlorp->Draw(Canvas(), s.SlotX[i], s.SlotY[i], s.SlotFrame[i]);
        s.SlotHit[i] = HitNone;
        if (s.SlotFrame[i] == 0) s.SlotStep[i] = 0;
    }
    if (s.FiguresShown != 100) return;
    for (int b = 0; b < s.ActiveSlots; ++b)
        if (s.SlotStep[b] > 0) return;
    s.GameState = GameOver;
}

void TForm1::EndSequence() {
    Timer1->SetEnabled(false);
    BusyWait(200);
    FillWithColor({0, 0, 385, 256});
    BusyWait(500);
    Form1->WaveEnd->Play();
    BusyWait(1500);
    const int32_t h = state_.Hits;
    TImage* result = h >= 100 ? Iperfect : h >= 90 ? Inobody : h >= 80 ? Iwhy : h >= 70 ? Iwinner : Igoback;
    result->SetVisible(true);
    result->SetBounds(0, 0, 384, 288);
}

void RegisterProgramClasses() {
    RegisterStandardGraphics();
    for (const TClassInfo* cls : {&TImage::StaticClass(), &TTimer::StaticClass(), &TBitmapList::StaticClass(),
                                  &TWavePlayer::StaticClass()})
        RegisterComponentClass(*cls);
}

TForm* BuildForm1() {
    RegisterProgramClasses();
    Form1 = new TForm1(nullptr);
    LoadFormFromResource(*Form1);
    return Form1;
}

}  // namespace skr
