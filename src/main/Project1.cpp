// The program: the shell over the platform's backend, with the game's window
// read from the form definition the program carries.
#include <cstdio>
#include <cstdlib>

#include "app/Program.h"
#include "game/Unit1.h"

int skr::platform::ProgramMain() {
    const std::unique_ptr<Platform> platform = OpenPlatform();
    if (!platform) {
        std::fputs("skrundle: no platform backend could be opened\n", stderr);
        return 1;
    }
    return RunProgram(*platform, BuildForm1);
}

#if defined(__EMSCRIPTEN__)
// In a page the program is resumed by the browser after every wait, and the
// value main returns then reaches no one: the program ends through exit,
// which tells the page its exit code.
int main() { std::exit(skr::platform::ProgramMain()); }
#elif !defined(_WIN32)
// Elsewhere the C entry point is the program's (Windows has WinMain).
int main() { return skr::platform::ProgramMain(); }
#endif
