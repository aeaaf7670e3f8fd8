// A whole game played in a real window as a player plays it: real presses
// (XTest) at client coordinates, and only the window's pixels read back.
// What the window showed is reported for the caller to check.
#pragma once

#include <cstddef>
#include <functional>
#include <string>
#include <vector>

#include "support/XSession.h"

namespace skr::e2e {

struct WholeGame {
    bool started = false;         // the counter line appeared after the start press
    bool counterConsistent = true;  // every counter read: hits <= figures <= 100, neither going back
    int lastHits = -1, lastFigures = -1;  // the counter line under the result picture's end
    int hitsSeen = 0;             // increases of the hits counter, summed
    int strikes = 0;              // presses made on lit cells
    bool covered = false;         // a result picture covered the window
    std::string picture;          // the result picture it is nearest to (by the assets)
    std::string expected;         // the picture for lastHits
    bool promptAgain = false;     // after a click on the picture: prompt and the last counter line
    std::string failure;          // what went wrong, if the game could not be played through
    // Moments, in NowMs() milliseconds: the start press, each strike, each
    // hit as the counter line showed it (once per hit), the first sight of
    // the result picture.
    double startPressAt = 0, coveredAt = 0;
    std::vector<double> strikesAt, hitsShownAt;
};

// Plays one game from the prompt: a press starts it, every lit board cell
// is struck until a result picture covers the window, which is then
// clicked. The digits and the pictures are recognised by the assets in
// `assetsDir` (decoded by the program's own readers).
WholeGame PlayWholeGame(XSession& x, Window w, const std::string& assetsDir, int timeoutSeconds = 240);

// Without a window manager: the client at the stored corner k times (k the
// session's scale), inside the frame the program keeps to itself (none for
// SDL's window; Wine's at its default metrics for k times 96 pixels per
// inch: a border of 3, a caption of 18k + 1), k times its size.
void CheckPlacement(XSession& x, Window w, int frameLeft, int frameTop);

// The opening of a game as a player sees it: the prompt blinking every
// 250 ms over a black window, each client pixel one block; a click starts a
// game with the counter line and, unless `soundBytes` is empty, the start
// clip reaching the audio output (the bytes of sound written so far).
void PlayTheOpening(XSession& x, Window w, const std::function<size_t()>& soundBytes);

}  // namespace skr::e2e
