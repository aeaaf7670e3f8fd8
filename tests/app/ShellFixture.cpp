#include "ShellFixture.h"

#include "support/FormInCode.h"

namespace skr::test {

const TClassInfo& TShellForm::StaticClass() {
    static const TMethodEntry methods[] = {
        NotifyMethod<&TShellForm::Timer1Timer>("Timer1Timer"),
        MouseMethod<&TShellForm::FormMouseDown>("FormMouseDown"),
        NotifyMethod<&TShellForm::FormPaint>("FormPaint"),
        NotifyMethod<&TShellForm::PicClick>("PicClick"),
    };
    static const TFieldEntry fields[] = {
        FieldRef<&TShellForm::Timer1>("Timer1"),
        FieldRef<&TShellForm::Pic1>("Pic1"),
        FieldRef<&TShellForm::Pic2>("Pic2"),
    };
    static const TClassInfo info{
        .name = "TShellForm", .parent = &TForm::StaticClass(), .methods = methods, .fields = fields};
    return info;
}

std::unique_ptr<TBitmap> Shell::SolidImage(int w, int h, uint32_t pixel) {
    auto b = std::make_unique<TBitmap>();
    b->SetSize(w, h);
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x) b->Scanline(y)[x] = pixel;
    return b;
}

Shell::Shell(platform::HeadlessPlatform::Options options) : platform(options) {
    app = std::make_unique<TApplication>(platform);
    form = new TShellForm(nullptr);
    form->platform = &platform;
    BeginFormInCode(*form, "Shell");
    BindEventByName(*form, "OnMouseDown", *form, "FormMouseDown");
    BindEventByName(*form, "OnPaint", *form, "FormPaint");
    const uint32_t colours[] = {0x00FF00, 0x0000FF};
    const char* names[] = {"Pic1", "Pic2"};
    for (int i = 0; i < 2; ++i) {
        auto* pic = new TImage(form);
        pic->SetParentComponent(form);
        pic->SetName(names[i]);
        pic->SetBounds(0, 0, 385, 289);
        pic->Picture()->SetGraphic(SolidImage(385, 289, colours[i]));
        pic->SetVisible(false);
        BindEventByName(*pic, "OnClick", *form, "PicClick");
    }
    auto* timer = new TTimer(form);
    timer->SetName("Timer1");
    timer->SetInterval(250);
    BindEventByName(*timer, "OnTimer", *form, "Timer1Timer");
    form->ClearReading();
    form->Loaded();
}

Shell::~Shell() { app.reset(); }

void Shell::Run() {
    form->DoCreate();
    app->Run();
}

void Shell::BusyWait(uint32_t d) {
    const uint32_t start = platform.TickCount();
    do {
        app->ProcessMessages();
    } while (platform.TickCount() - start <= d);
}

}  // namespace skr::test
