// The program: the shell over the SDL backend. Until the window is read from
// its embedded definition, it is built here with its stored values.
#include "app/Application.h"
#include "app/Form.h"
#include "app/Program.h"
#include "platform/sdl/SdlPlatform.h"

int main() {
    skr::platform::SdlPlatform platform;
    return skr::RunProgram(platform, [](skr::TApplication&) {
        auto* form = new skr::TForm(nullptr);
        form->SetLoading(true);
        form->SetLeft(192);
        form->SetTop(107);
        form->SetBorderIcons(1 << skr::biSystemMenu | 1 << skr::biMinimize);
        form->SetBorderStyle(skr::bsSingle);
        form->SetCaption("Skrundle ver.1.2.0");
        form->SetClientHeight(289);
        form->SetClientWidth(385);
        form->SetColor(skr::clBlack);
        form->SetOldCreateOrder(false);
        form->SetScaled(false);
        form->ClearReading();
        form->Loaded();
        return form;
    });
}
