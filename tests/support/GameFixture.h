// The game's window built in code on the headless platform, with strips
// whose frames are distinct solid colours (so every drawn frame can be told
// from the screen) and short distinct sound clips.
#pragma once

#include <functional>
#include <memory>
#include <vector>

#include "app/Application.h"
#include "game/Unit1.h"
#include "platform/headless/HeadlessPlatform.h"

namespace skr::test {

// The colour of each frame of each strip, and of each result picture.
constexpr uint32_t BlorpColor(int frame) { return 0x400001u | uint32_t(frame) << 8; }
constexpr uint32_t ClickColor(int frame) { return 0x008001u + uint32_t(frame); }
constexpr uint32_t NumberColor(int frame) { return 0x800080u | uint32_t(frame) << 8; }
constexpr uint32_t PictureColor(int i) { return 0x00C000u + uint32_t(i); }

struct Game {
    explicit Game(platform::HeadlessPlatform::Options options = {});
    ~Game();

    // Runs FormCreate and the event loop until the script ends.
    void Run();
    // The BitmapBlorp frame showing at a cell's centre (-1: none).
    int BlorpFrameAt(int col, int row) const;
    // The BitmapClick frame showing at the prompt (-1: none).
    int PromptFrame() const;
    // The counter line as text, e.g. "003/042" ("?" for an unknown glyph).
    std::string Counter() const;
    bool Black(int x, int y) const { return platform.Pixel(x, y) == 0; }
    // The sound clip played by the last request at or before t (null: none).
    const TWavePlayer* SoundAt(uint64_t t) const;
    const TGameRecord& S() const { return form->State(); }

    platform::HeadlessPlatform platform;
    std::unique_ptr<TApplication> app;
    TForm1* form = nullptr;
    // Called after every tick of Timer1, with the tick's virtual time.
    std::function<void(uint64_t)> afterTick;
    std::vector<uint64_t> ticks;
};

}  // namespace skr::test
