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
//   - under a Wayland compositor's Xwayland (the program's fallback there),
//     Xft.dpi alone: a compositor that leaves X clients to scale themselves
//     (KDE's choice, and GNOME's with Xwayland scaling) sets it, one that
//     scales them itself leaves it at 96 (the scale a Wayland window gets
//     is the backend's own, from the output);
//   - otherwise 96.
int DisplayDpi(SDL_Window* window);

}  // namespace skr::platform
