// The pixels per inch the desktop asks programs to draw for, which SDL
// does not report on X11 (SDL_GetDisplayDPI gives the monitor's physical
// density, or nothing under Xvfb).
#pragma once

#include <SDL.h>

namespace skr::platform {

// The desktop's dots per inch for the window's display:
//   - on X11, the X resource Xft.dpi (what desktops set for 150 % and 200 %),
//     read through Xlib's resource manager on SDL's own display; failing
//     that, 96 times the integer GDK_SCALE;
//   - under a Wayland session, 96: the compositor already scales X clients
//     (through XWayland) and SDL's own Wayland windows;
//   - otherwise 96.
int DisplayDpi(SDL_Window* window);

}  // namespace skr::platform
