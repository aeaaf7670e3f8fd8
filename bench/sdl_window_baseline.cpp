// The least an SDL program does to show a window like the game's: SDL's
// video set up as the game's backend sets it up, a hidden 385 x 289 window
// with its surface, shown, and a first frame with a white bar where the
// game's prompt is. bench_window --startup-only measures it beside the game,
// so the game's start-up can be told apart from SDL's own.
#include <SDL.h>

int main(int, char**) {
    SDL_SetHint(SDL_HINT_FRAMEBUFFER_ACCELERATION, "0");
    if (SDL_Init(SDL_INIT_VIDEO | SDL_INIT_EVENTS) != 0) return 1;
    SDL_Window* window = SDL_CreateWindow("Skrundle ver.1.2.0", 0, 0, 385, 289, SDL_WINDOW_HIDDEN);
    SDL_Surface* surface = window ? SDL_GetWindowSurface(window) : nullptr;
    if (!surface) return 1;
    SDL_ShowWindow(window);
    const SDL_Rect prompt{92, 200, 200, 23};
    SDL_FillRect(surface, &prompt, SDL_MapRGB(surface->format, 255, 255, 255));
    SDL_UpdateWindowSurface(window);
    for (SDL_Event e; SDL_WaitEvent(&e) && e.type != SDL_QUIT;) {
    }
    SDL_DestroyWindow(window);
    SDL_Quit();
    return 0;
}
