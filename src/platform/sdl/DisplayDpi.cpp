#include "platform/sdl/DisplayDpi.h"

#include <SDL_syswm.h>
#include <X11/Xresource.h>

#include <cmath>
#include <cstdlib>

namespace skr::platform {
namespace {

constexpr int kClassicDpi = 96;

// Xft.dpi from the resources the server had when SDL connected; 0 when unset.
int XftDpi(Display* display) {
    const char* resources = XResourceManagerString(display);
    if (!resources) return 0;
    XrmInitialize();
    XrmDatabase db = XrmGetStringDatabase(resources);
    if (!db) return 0;
    char* type = nullptr;
    XrmValue value{};
    int dpi = 0;
    if (XrmGetResource(db, "Xft.dpi", "Xft.Dpi", &type, &value) && value.addr) {
        const double d = std::strtod(value.addr, nullptr);
        if (d >= 1 && d <= 10000) dpi = static_cast<int>(std::lround(d));
    }
    XrmDestroyDatabase(db);
    return dpi;
}

}  // namespace

int DisplayDpi(SDL_Window* window) {
    SDL_SysWMinfo info;
    SDL_VERSION(&info.version);
    if (!window || !SDL_GetWindowWMInfo(window, &info) || info.subsystem != SDL_SYSWM_X11) return kClassicDpi;
    if (const int dpi = XftDpi(info.info.x11.display)) return dpi;
    // Under a Wayland compositor's Xwayland, only what it tells X clients:
    // GDK_SCALE there is for toolkits on the compositor itself.
    const char* wayland = SDL_getenv("WAYLAND_DISPLAY");
    if (wayland && *wayland) return kClassicDpi;
    if (const char* gdk = SDL_getenv("GDK_SCALE")) {
        const int k = std::atoi(gdk);
        if (k >= 1 && k <= 16) return kClassicDpi * k;
    }
    return kClassicDpi;
}

}  // namespace skr::platform
