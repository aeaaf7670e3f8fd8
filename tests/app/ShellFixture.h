// A window built in code on the headless platform, with picture controls
// and handlers that record what they were called with.
#pragma once

#include <functional>
#include <memory>
#include <vector>

#include "app/Application.h"
#include "app/Form.h"
#include "app/Image.h"
#include "app/Timer.h"
#include "gfx/Bitmap.h"
#include "platform/headless/HeadlessPlatform.h"

namespace skr::test {

struct Press {
    uint64_t time;
    TMouseButton button;
    TShiftState shift;
    int x, y;
};

class TShellForm : public TForm {
public:
    SKR_CLASS_INFO()
    explicit TShellForm(TComponent* owner) : TForm(owner) {}

    TTimer* Timer1 = nullptr;
    TImage* Pic1 = nullptr;
    TImage* Pic2 = nullptr;

    std::vector<uint64_t> ticks;
    std::vector<Press> presses;
    std::vector<uint64_t> paints;
    std::vector<std::pair<uint64_t, TObject*>> clicks;
    std::function<void()> onTick, onPaint, onPress;
    std::function<void(TObject*)> onClick;
    platform::HeadlessPlatform* platform = nullptr;

    void Timer1Timer(TObject*) {
        ticks.push_back(platform->Now());
        if (onTick) onTick();
    }
    void FormMouseDown(TObject*, TMouseButton b, TShiftState s, int x, int y) {
        presses.push_back({platform->Now(), b, s, x, y});
        if (onPress) onPress();
    }
    void FormPaint(TObject*) {
        paints.push_back(platform->Now());
        if (onPaint) onPaint();
    }
    void PicClick(TObject* sender) {
        clicks.emplace_back(platform->Now(), sender);
        if (onClick) onClick(sender);
    }
};

// Builds the window: client 385 x 289, black, a timer at 250 ms, and two
// hidden 385 x 289 pictures showing solid images.
struct Shell {
    explicit Shell(platform::HeadlessPlatform::Options options = {});
    ~Shell();

    // Shows the window and runs the event loop until the script ends.
    void Run();
    // Busy-waits like the game: dispatches pending events until more than
    // d ms of the tick counter have passed.
    void BusyWait(uint32_t d);
    static std::unique_ptr<TBitmap> SolidImage(int w, int h, uint32_t pixel);

    platform::HeadlessPlatform platform;
    std::unique_ptr<TApplication> app;
    TShellForm* form = nullptr;
};

}  // namespace skr::test
