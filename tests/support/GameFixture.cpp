#include "support/GameFixture.h"

#include <cstring>

#include "app/Image.h"
#include "app/Timer.h"
#include "components/BmpList.h"
#include "components/WavePlay.h"
#include "core/Stream.h"
#include "gfx/Bitmap.h"
#include "support/FormInCode.h"
#include "support/WaveImages.h"

namespace skr::test {
namespace {

std::unique_ptr<TBitmap> Strip(int frames, int w, int h, uint32_t (*color)(int)) {
    auto b = std::make_unique<TBitmap>();
    b->SetSize(frames * w, h);
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < frames * w; ++x) b->Scanline(y)[x] = color(x / w);
    return b;
}

// A PCM WAVE image, 22050 Hz mono 16 bits, of n samples.
std::vector<uint8_t> Wave(uint32_t samples, int16_t level) { return WaveImage(Pcm16(std::vector<int16_t>(samples, level))); }

}  // namespace

Game::Game(platform::HeadlessPlatform::Options options) : platform(options) {
    app = std::make_unique<TApplication>(platform);
    Form1 = form = new TForm1(nullptr);
    BeginFormInCode(*form, "Skrundle ver.1.2.0");
    form->SetName("Form1");
    BindEventByName(*form, "OnCreate", *form, "FormCreate");
    BindEventByName(*form, "OnMouseDown", *form, "FormMouseDown");
    BindEventByName(*form, "OnPaint", *form, "FormPaint");
    const char* pictures[] = {"Iperfect", "Inobody", "Iwhy", "Iwinner", "Igoback"};
    for (int i = 0; i < 5; ++i) {
        auto* pic = new TImage(form);
        pic->SetParentComponent(form);
        pic->SetName(pictures[i]);
        pic->SetBounds(0, 0, 385, 289);
        pic->Picture()->SetGraphic(Strip(1, 385, 289, [](int) { return 0u; }));
        auto* bmp = static_cast<TBitmap*>(pic->Picture()->Graphic());
        for (int y = 0; y < 289; ++y)
            for (int x = 0; x < 385; ++x) bmp->Scanline(y)[x] = PictureColor(i);
        pic->SetVisible(false);
        BindEventByName(*pic, "OnClick", *form, std::string(pictures[i]) + "Click");
    }
    struct StripSpec { const char* name; int frames, w, h; uint32_t (*color)(int); };
    const StripSpec strips[] = {{"BitmapBlorp", 25, 64, 64, [](int f) { return BlorpColor(f); }},
                                {"BitmapClick", 3, 200, 23, [](int f) { return ClickColor(f); }},
                                {"BitmapNumber", 11, 16, 32, [](int f) { return NumberColor(f); }}};
    for (const StripSpec& s : strips) {
        auto* list = new TBitmapList(form);
        list->SetName(s.name);
        list->SetBitmap(Strip(s.frames, s.w, s.h, s.color).get());
        list->SetNumImages(s.frames);
    }
    auto* timer = new TTimer(form);
    timer->SetName("Timer1");
    timer->SetInterval(250);
    timer->SetOnTimer(TNotifyEvent{[this](TObject* sender) {
                                       ticks.push_back(platform.Now());
                                       form->Timer1Timer(sender);
                                       if (afterTick) afterTick(ticks.back());
                                   },
                                   "Timer1Timer"});
    const char* waves[] = {"WaveStart", "WaveBucha", "WaveBofu", "WaveEnd"};
    const uint32_t samples[] = {22458, 12875, 1944, 45933};
    for (int i = 0; i < 4; ++i) {
        auto* player = new TWavePlayer(form);
        player->SetName(waves[i]);
        TMemoryStream clip(Wave(samples[i], int16_t(1000 * (i + 1))));
        player->Wave()->LoadFromStream(clip);
    }
    form->ClearReading();
    form->Loaded();
}

Game::~Game() {
    app.reset();
    if (Form1 == form) Form1 = nullptr;
}

void Game::Run() {
    form->DoCreate();
    app->Run();
}

int Game::BlorpFrameAt(int col, int row) const {
    const uint32_t p = platform.Pixel(col * 64 + 32, row * 64 + 32);
    for (int f = 0; f < 25; ++f)
        if (p == BlorpColor(f)) return f;
    return -1;
}

int Game::PromptFrame() const {
    const uint32_t p = platform.Pixel(92 + 100, 200 + 11);
    for (int f = 0; f < 3; ++f)
        if (p == ClickColor(f)) return f;
    return -1;
}

std::string Game::Counter() const {
    std::string text;
    for (int i = 0; i < 7; ++i) {
        const uint32_t p = platform.Pixel(136 + 16 * i + 8, 256 + 16);
        char c = '?';
        for (int f = 0; f < 11; ++f)
            if (p == NumberColor(f)) c = f == 10 ? '/' : char('0' + f);
        text += c;
    }
    return text;
}

const TWavePlayer* Game::SoundAt(uint64_t t) const {
    const platform::HeadlessPlatform::SoundRequest* r = platform.SoundingAt(t);
    if (!r) return nullptr;
    for (const TWavePlayer* w : {form->WaveStart, form->WaveBucha, form->WaveBofu, form->WaveEnd})
        if (w->Wave()->Memory() == r->image) return w;
    return nullptr;
}

}  // namespace skr::test
