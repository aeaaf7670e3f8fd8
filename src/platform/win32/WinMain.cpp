// The Windows program's entry point (GUI subsystem: no console window). It
// hands over to the program's own entry at once; the launcher's show
// request is read later with GetStartupInfoA, as the window is shown.
#include <windows.h>

#include "platform/Platform.h"

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int) { return skr::platform::ProgramMain(); }
