// The program: the shell over the SDL backend, with the game's window read
// from the form definition the program carries.
#include "app/Program.h"
#include "game/Unit1.h"
#include "platform/sdl/SdlPlatform.h"

int main() {
    skr::platform::SdlPlatform platform;
    return skr::RunProgram(platform, skr::BuildForm1);
}
