// TForm1: the game's one window. Keeps the 25-integer game state record and
// every game handler: the prompt, the counter line, the start of a game, the
// blows on figures, the game tick with its spawning, animation and hits, the
// end sequence and the result pictures.
#pragma once

#include <cstdint>

#include "app/Form.h"

namespace skr {

class TBitmapList;
class TImage;
class TTimer;
class TWavePlayer;

// Game states.
enum : int32_t { Idle = 0, Starting = 1, Playing = 2, GameOver = 3, IdleAfterGame = 9 };
// Hit status of a figure slot.
enum : int32_t { HitNone = 0, HitStruck = 1, HitShown = 2, HitCleared = 3 };

// The whole state of the game: 25 signed 32-bit integers in this order.
// The per-slot arrays hold figure slots 1, 2 and 3 at indexes 0, 1 and 2.
struct TGameRecord {
    int32_t GameState;
    int32_t SlotFrame[3];
    int32_t SlotBase[3];
    int32_t SpawnRoll;
    int32_t SlotX[3];
    int32_t SlotY[3];
    int32_t PromptFrame;
    int32_t PromptStep;
    int32_t SlotStep[3];
    int32_t SlotHit[3];
    int32_t Hits;
    int32_t FiguresShown;
    int32_t ActiveSlots;
};
static_assert(sizeof(TGameRecord) == 25 * sizeof(int32_t));

class TForm1 : public TForm {
public:
    SKR_CLASS_INFO()

    explicit TForm1(TComponent* owner);
    ~TForm1() override;

    // Components, in declaration order (set by naming them).
    TBitmapList* BitmapBlorp = nullptr;
    TBitmapList* BitmapClick = nullptr;
    TBitmapList* BitmapNumber = nullptr;
    TTimer* Timer1 = nullptr;
    TWavePlayer* WaveStart = nullptr;
    TWavePlayer* WaveBucha = nullptr;
    TWavePlayer* WaveBofu = nullptr;
    TWavePlayer* WaveEnd = nullptr;
    TImage* Iperfect = nullptr;
    TImage* Inobody = nullptr;
    TImage* Iwhy = nullptr;
    TImage* Iwinner = nullptr;
    TImage* Igoback = nullptr;

    // Handlers, bound by name from the window's definition.
    void FormCreate(TObject* Sender);
    void FormMouseDown(TObject* Sender, TMouseButton Button, TShiftState Shift, int X, int Y);
    void FormPaint(TObject* Sender);
    void Timer1Timer(TObject* Sender);
    void IperfectClick(TObject* Sender);
    void InobodyClick(TObject* Sender);
    void IwhyClick(TObject* Sender);
    void IwinnerClick(TObject* Sender);
    void IgobackClick(TObject* Sender);

    const TGameRecord& State() const noexcept { return state_; }

    // After reading: raises EReadError naming the first component the game
    // needs that the definition did not give it.
    void Loaded() override;

private:
    void DrawCounter();
    void BusyWait(uint32_t d);
    void ResetCounts();
    void HideResultPictures();
    void StartGame();
    void StrikeAt(int X, int Y);
    void PromptStepTick();
    void ServeSlots();
    void EndSequence();
    void ResultClick(TImage* picture);
    void FillWithColor(const TRect& r);

    TGameRecord state_{};
};

// The program-wide reference to the one window; set before its construction.
extern TForm1* Form1;

// The game's random numbers: one 32-bit linear congruential seed.
extern uint32_t RandSeed;
void ReseedFromClock();
int32_t RandomBelow(int32_t n);

// Makes known by name every class the program's form definition may name:
// the image kinds of a picture's data (bitmap, icon, JPEG image) and the
// component classes (picture, timer, sprite strip, sound clip). Whatever
// reads or writes the window's definition calls it first; an image kind left
// out would leave its pictures empty without an error.
void RegisterProgramClasses();

// Registers the program's classes, allocates Form1 and builds it from the
// program's embedded definition.
TForm* BuildForm1();

}  // namespace skr
