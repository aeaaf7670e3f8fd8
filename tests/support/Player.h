// A player of whole games on the program's own window (Form1, as BuildForm1
// builds it) on the headless platform. It wraps the handler of Timer1 and
// looks after each tick: while a game is played it may strike every figure
// that rises, and once a game has ended and its result picture shows, it
// reports the result and either clicks the picture and starts the next game
// or closes the window.
#pragma once

#include <cstdint>
#include <functional>

#include "game/Unit1.h"
#include "platform/headless/HeadlessPlatform.h"

namespace skr::test {

struct GameResult {
    int32_t hits = -1;
    int32_t figures = -1;       // figures shown
    TImage* picture = nullptr;  // the result picture on the window (null: none)
    uint64_t lengthMs = 0;      // from the start press to the result picture
};

class Player {
public:
    Player(platform::HeadlessPlatform& platform, TForm1& form);
    Player(const Player&) = delete;
    Player& operator=(const Player&) = delete;

    // Presses the window at virtual time `at`, which starts a game from the
    // prompt.
    void Start(uint64_t at);
    // Games ended so far.
    int Games() const { return games_; }

    // Called after each tick of Timer1, before the player looks at the game.
    std::function<void()> afterTick;
    // Called once a game has ended (the sound log cleared); true asks for
    // another game: the player clicks the result picture 5 ms later (back
    // to the prompt) and presses 300 ms later to start it. False, or no
    // callback, closes the window 50 ms later.
    std::function<bool(const GameResult&)> gameOver;
    // The player strikes in the first game and every strikeEvery-th game
    // after it (0: never): after each tick it presses, 3 ms later, every
    // figure that is up and not yet struck.
    int strikeEvery = 0;

private:
    void AfterTick();

    platform::HeadlessPlatform& platform_;
    TForm1& form_;
    TNotifyEvent tick_;
    int32_t lastState_ = Idle;
    uint64_t startedAt_ = 0;
    int games_ = 0;
};

}  // namespace skr::test
