#include "app/Program.h"

#include <cinttypes>
#include <cstdio>

#include "app/Application.h"
#include "app/Form.h"
#include "app/Messages.h"
#include "core/Exception.h"
#include "core/Stream.h"
#include "core/Text.h"
#include "formdef/FormReader.h"
#include "gfx/Icon.h"
#include "gfx/JPEGImage.h"
#include "platform/Resources.h"

namespace skr {

std::string FatalErrorText(std::string_view kind, std::string_view module, std::string_view message) {
    std::string text = Format(msg::FatalError, int(kind.size()), kind.data(), int(module.size()), module.data(),
                              uint32_t{0}, int(message.size()), message.data());
    if (!message.empty() && message.back() != '.') text += '.';
    return text;
}

void LoadFormFromResource(TForm& form) {
    const std::string name(form.ClassName());
    const std::span<const uint8_t> bytes = platform::FindProgramResource(name);
    if (bytes.empty()) throw EResNotFound(Format(msg::ResNotFound, name.c_str()));
    TApplication* app = Application();
    ReadRootComponent(bytes, form, [&](std::string_view candidate) {
        if (!app) return false;
        for (TForm* other : app->Forms())
            if (other != &form && SameText(other->Name(), candidate)) return true;
        return false;
    });
}

namespace {

// The program's own icon: the window shows it unless its definition gave one.
void ApplyProgramIcon(TForm& form) {
    if (!form.Icon() || !form.Icon()->Empty()) return;
    const std::span<const uint8_t> bytes = platform::FindProgramResource("MAINICON");
    if (bytes.empty()) return;
    try {
        TSpanStream s(bytes);
        form.Icon()->ReadData(s);
        form.ApplyIcon();
    } catch (const Exception&) {
        // A broken icon leaves the platform's default one.
    }
}

}  // namespace

int RunProgram(platform::Platform& platform, const TFormBuilder& buildMainForm) {
    TApplication app(platform);
    const std::string module(BaseName(platform.ModuleFileName()));
    try {
        TForm* form = buildMainForm();
        // FormCreate runs once construction has completed; its errors are
        // shown like any handler's and start-up goes on.
        try {
            form->DoCreate();
        } catch (const std::exception& e) {
            app.ShowException(e);
        }
        form->HandleNeeded();
        ApplyProgramIcon(*form);
    } catch (const Exception& e) {
        platform.ErrorBox(msg::ApplicationError, FatalErrorText(e.ClassName(), module, e.Message()));
        return 1;
    } catch (const std::exception& e) {
        platform.ErrorBox(msg::ApplicationError, FatalErrorText("Exception", module, e.what()));
        return 1;
    }
    app.Run();
    return 0;
}

}  // namespace skr
