// The start-up of the program: the application object, the main window and
// its components, FormCreate, the event loop, and the exit code. Errors
// while the window is built end the program with the fatal error box.
#pragma once

#include <functional>

#include "platform/Platform.h"

namespace skr {

class TForm;

// Builds the main window (allocating it, reading its definition or setting
// its properties) and returns it; the application owns it from AddForm on.
using TFormBuilder = std::function<TForm*()>;

// Reads the window's definition from the program's resource named after its
// class (found without regard to case). Raises "%s リソースが見つかりません"
// when the program carries none, and the reader's errors.
void LoadFormFromResource(TForm& form);

// Runs the whole program on the given platform; returns the exit code (0
// after the window was closed, 1 after a fatal start-up error).
int RunProgram(platform::Platform& platform, const TFormBuilder& buildMainForm);

// The fatal start-up box's text for an error of the given kind and message.
std::string FatalErrorText(std::string_view kind, std::string_view module, std::string_view message);

}  // namespace skr
