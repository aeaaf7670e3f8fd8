#include "platform/sdl/SdlPlatform.h"

#include "platform/sdl/DisplayDpi.h"

#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <string>
#include <string_view>

#ifndef SKR_APP_ID
#define SKR_APP_ID "skrundle"
#endif

namespace skr::platform {

std::unique_ptr<Platform> OpenPlatform() { return std::make_unique<SdlPlatform>(); }

namespace {
bool OnDriver(const char* name) {
    const char* driver = SDL_GetCurrentVideoDriver();
    return driver && std::string_view(driver) == name;
}
}  // namespace

SdlPlatform::SdlPlatform() {
    // The X11 window surface stays a plain shared-memory framebuffer: an
    // accelerated one would make SDL recreate the window at its first use,
    // and the window manager would then move it off its stored position.
    SDL_SetHint(SDL_HINT_FRAMEBUFFER_ACCELERATION, "0");
    // A click that activates the window is a click like any other (SDL
    // would drop a press that comes within a few milliseconds of the focus).
    SDL_SetHint(SDL_HINT_MOUSE_FOCUS_CLICKTHROUGH, "1");
    // The desktop entry's id names the window (the dock shows its icon):
    // SDL reads it from the environment, unless the user set it there.
    setenv("SDL_VIDEO_WAYLAND_WMCLASS", SKR_APP_ID, 0);
    setenv("SDL_VIDEO_X11_WMCLASS", SKR_APP_ID, 0);
    // SDL_VIDEODRIVER as the user set it; else the compositor's own driver
    // where there is one (SDL would take X11 first), and SDL's usual order
    // when it does not answer.
    const char* wayland = SDL_getenv("WAYLAND_DISPLAY");
    const bool waylandFirst = !SDL_getenv("SDL_VIDEODRIVER") && wayland && *wayland;
    videoReady_ = SDL_Init(SDL_INIT_EVENTS) == 0 && ((waylandFirst && StartVideo("wayland")) || StartVideo(nullptr));
    // Without a display SDL falls back to drivers that show nothing; the
    // game would then run unseen for ever. Unless SDL was told to use one of
    // them, that counts as no window at all (a fatal start-up error).
    if (videoReady_ && !SDL_getenv("SDL_VIDEODRIVER") && (OnDriver("offscreen") || OnDriver("dummy") || OnDriver("evdev")))
        videoReady_ = false;
}

// Starts SDL's video on that driver (null: SDL's own choice).
bool SdlPlatform::StartVideo(const char* driver) {
    if (driver) SDL_SetHint(SDL_HINT_VIDEODRIVER, driver);
    else SDL_ResetHint(SDL_HINT_VIDEODRIVER);
    return SDL_InitSubSystem(SDL_INIT_VIDEO) == 0;
}

void SdlPlatform::StartAudio() {
    // Once, and not before the program first waits or sounds: finding the
    // audio driver and opening its device then does not delay the window's
    // first frame. No audio device means silence.
    if (audioTried_) return;
    audioTried_ = true;
    voice_.Open();
}

void SdlPlatform::PlayWave(const uint8_t* image, size_t size) {
    StartAudio();
    voice_.Play(image, size);
}

SdlPlatform::~SdlPlatform() {
    voice_.Close();
    CloseWindow();
    SDL_Quit();
}

void SdlPlatform::CloseWindow() {
    if (texture_) SDL_DestroyTexture(texture_);
    if (renderer_) SDL_DestroyRenderer(renderer_);
    if (frame_) SDL_FreeSurface(frame_);
    if (window_) SDL_DestroyWindow(window_);
    texture_ = nullptr;
    renderer_ = nullptr;
    frame_ = nullptr;
    window_ = nullptr;
}

uint32_t SdlPlatform::TickCount() { return SDL_GetTicks(); }

TSystemTime SdlPlatform::SystemTime() { return UtcTimeOfDay(); }

bool SdlPlatform::Translate(const SDL_Event& ev, RawEvent& out) {
    auto button = [](Uint8 b, Button& to) {
        if (b == SDL_BUTTON_LEFT) to = Button::Left;
        else if (b == SDL_BUTTON_RIGHT) to = Button::Right;
        else if (b == SDL_BUTTON_MIDDLE) to = Button::Middle;
        else return false;
        return true;
    };
    switch (ev.type) {
        // SDL's own modifier state is that after every event it has read
        // from the window system, not that at the event being handed out: a
        // quick shift-click read in one go would lose its Shift. The state
        // each key event carries is followed in queue order instead.
        case SDL_KEYDOWN:
        case SDL_KEYUP: {
            const Uint16 m = ev.key.keysym.mod;
            modifiers_ = (m & KMOD_SHIFT ? kShift : 0u) | (m & KMOD_ALT ? kAlt : 0u) | (m & KMOD_CTRL ? kCtrl : 0u);
            return false;
        }
        case SDL_MOUSEBUTTONDOWN:
        case SDL_MOUSEBUTTONUP:
            if (!button(ev.button.button, out.button)) return false;
            out.type = ev.type == SDL_MOUSEBUTTONDOWN ? EventType::ButtonDown : EventType::ButtonUp;
            out.x = ClientX(ev.button.x);
            out.y = ClientY(ev.button.y);
            out.modifiers = modifiers_;
            held_ = ev.type == SDL_MOUSEBUTTONDOWN ? held_ + 1 : held_ > 0 ? held_ - 1 : 0;
            // A Wayland window may be larger than its client (a tiling
            // compositor's tile): a press on the black around the client is
            // no press on it. (Releases come as they are, as X11 gives them.)
            return ev.type == SDL_MOUSEBUTTONUP || OnClient(out.x, out.y);
        case SDL_MOUSEMOTION:
            out.type = EventType::PointerMove;
            out.x = ClientX(ev.motion.x);
            out.y = ClientY(ev.motion.y);
            out.modifiers = modifiers_;
            return held_ > 0 || OnClient(out.x, out.y);
        case SDL_QUIT: out.type = EventType::CloseRequest; return true;
        case SDL_WINDOWEVENT:
            switch (ev.window.event) {
                // A Wayland window keeps its content; a new size or scale
                // (another output) is a new fit of the same client pixels.
                case SDL_WINDOWEVENT_SIZE_CHANGED:
                case SDL_WINDOWEVENT_DISPLAY_CHANGED:
                    if (wayland_) Fit();
                    return false;
                case SDL_WINDOWEVENT_EXPOSED:
                    if (wayland_) {
                        DrawView();
                        return false;
                    }
                    out.type = EventType::Expose;
                    out.area = TRect{0, 0, width_, height_};
                    return true;
                case SDL_WINDOWEVENT_MINIMIZED: out.type = EventType::Minimize; return true;
                case SDL_WINDOWEVENT_RESTORED: out.type = EventType::Restore; return true;
                case SDL_WINDOWEVENT_CLOSE: out.type = EventType::CloseRequest; return true;
                default: return false;
            }
        default: return false;
    }
}

bool SdlPlatform::PollEvent(RawEvent& out) {
    SDL_Event ev;
    while (SDL_PollEvent(&ev))
        if (Translate(ev, out)) return true;
    return false;
}

void SdlPlatform::WaitEvent(uint32_t timeoutMs) {
    StartAudio();
    // A quiet voice's device is closed from here; the wait ends early (as
    // any wait may) when that is due first.
    const uint32_t quiet = voice_.CloseWhenQuiet(SDL_GetTicks());
    if (quiet != SdlVoice::kNever && (timeoutMs == kForever || quiet < timeoutMs)) timeoutMs = quiet;
    if (timeoutMs == kForever) SDL_WaitEvent(nullptr);
    else if (timeoutMs > 0) SDL_WaitEventTimeout(nullptr, static_cast<int>(timeoutMs));
}

bool SdlPlatform::OpenWindow(const WindowSpec& spec) {
    if (!videoReady_ || window_) return window_ != nullptr;
    if (OnDriver("wayland")) {
        if (OpenWaylandWindow(spec)) return true;
        // No window from the compositor (no EGL, say): the same run goes on
        // in X11, under the compositor's Xwayland, rather than failing.
        CloseWindow();
        SDL_QuitSubSystem(SDL_INIT_VIDEO);
        videoReady_ = StartVideo("x11");
        if (!videoReady_) return false;
    }
    return OpenX11Window(spec);
}

bool SdlPlatform::OpenWaylandWindow(const WindowSpec& spec) {
    // In window units (the compositor's logical pixels); the drawable has
    // the output's scale. No position: the compositor places the window.
    window_ = SDL_CreateWindow(spec.captionUtf8.c_str(), SDL_WINDOWPOS_UNDEFINED, SDL_WINDOWPOS_UNDEFINED, spec.clientWidth,
                               spec.clientHeight,
                               SDL_WINDOW_HIDDEN | SDL_WINDOW_ALLOW_HIGHDPI | (spec.fixedFrame ? 0 : SDL_WINDOW_RESIZABLE));
    if (!window_) return false;
    // No vertical sync: a present must not wait for the compositor's next
    // frame (the event thread draws and presents as things happen).
    renderer_ = SDL_CreateRenderer(window_, -1, SDL_RENDERER_ACCELERATED);
    if (!renderer_) return false;
    texture_ = SDL_CreateTexture(renderer_, SDL_PIXELFORMAT_RGB888, SDL_TEXTUREACCESS_STREAMING, spec.clientWidth,
                                 spec.clientHeight);
    if (!texture_ || SDL_SetTextureScaleMode(texture_, SDL_ScaleModeNearest) != 0) return false;
    wayland_ = true;
    width_ = spec.clientWidth;
    height_ = spec.clientHeight;
    screen_.assign(static_cast<size_t>(width_) * height_, 0);
    SDL_UpdateTexture(texture_, nullptr, screen_.data(), width_ * 4);
    Fit();
    return true;
}

void SdlPlatform::Fit() {
    int dw = 0, dh = 0, ww = 0, wh = 0;
    SDL_GetRendererOutputSize(renderer_, &dw, &dh);
    SDL_GetWindowSize(window_, &ww, &wh);
    fit_ = FitClient(width_, height_, dw, dh, ww, wh);
    DrawView();
}

void SdlPlatform::DrawView() {
    if (!renderer_) return;
    const SDL_Rect to{fit_.shown.left, fit_.shown.top, fit_.shown.right - fit_.shown.left,
                      fit_.shown.bottom - fit_.shown.top};
    SDL_SetRenderDrawColor(renderer_, 0, 0, 0, 255);
    SDL_RenderClear(renderer_);
    SDL_RenderCopy(renderer_, texture_, nullptr, &to);
    SDL_RenderPresent(renderer_);
}

bool SdlPlatform::OpenX11Window(const WindowSpec& spec) {
    // Without the high-DPI flag the window is sized in physical pixels. On
    // X11 the window manager puts the frame's outer corner at the requested
    // position (north-west gravity), as the stored Left and Top mean; with no
    // window manager there is no frame and the client sits there.
    window_ = SDL_CreateWindow(spec.captionUtf8.c_str(), spec.left, spec.top, spec.clientWidth, spec.clientHeight,
                               SDL_WINDOW_HIDDEN | (spec.fixedFrame ? 0 : SDL_WINDOW_RESIZABLE));
    if (!window_) return false;
    // On a denser display each client pixel becomes a k x k block, and the
    // stored corner is scaled with it (where the system would put a program
    // it stretches). The window is still hidden: nothing is seen to move.
    SDL_Rect work{0, 0, 1 << 15, 1 << 15};
    SDL_GetDisplayUsableBounds(SDL_GetWindowDisplayIndex(window_), &work);
    scale_.k = ScaleForDpi(DisplayDpi(window_), spec, kFrameAllowance.w, kFrameAllowance.h,
                           TRect{work.x, work.y, work.x + work.w, work.y + work.h});
    if (scale_.k > 1) {
        SDL_SetWindowSize(window_, spec.clientWidth * scale_.k, spec.clientHeight * scale_.k);
        SDL_SetWindowPosition(window_, spec.left * scale_.k, spec.top * scale_.k);
    }
    width_ = spec.clientWidth;
    height_ = spec.clientHeight;
    screen_.assign(static_cast<size_t>(width_) * height_, 0);
    frame_ = SDL_CreateRGBSurfaceWithFormatFrom(screen_.data(), width_, height_, 32, width_ * 4, SDL_PIXELFORMAT_RGB888);
    // The window's own surface is made now, at its final size, before the
    // window is shown.
    return frame_ != nullptr && SDL_GetWindowSurface(window_) != nullptr;
}

void SdlPlatform::SetCaption(std::string_view utf8) {
    if (window_) SDL_SetWindowTitle(window_, std::string(utf8).c_str());
}

void SdlPlatform::SetIcon(const IconImage& icon) {
    if (!window_ || icon.argb.size() < static_cast<size_t>(icon.width) * icon.height) return;
    SDL_Surface* s = SDL_CreateRGBSurfaceWithFormatFrom(const_cast<uint32_t*>(icon.argb.data()), icon.width, icon.height,
                                                        32, icon.width * 4, SDL_PIXELFORMAT_ARGB8888);
    if (!s) return;
    SDL_SetWindowIcon(window_, s);
    SDL_FreeSurface(s);
}

void SdlPlatform::Show(ShowState state) {
    if (!window_) return;
    SDL_ShowWindow(window_);
    // A Wayland window is mapped with its first frame: the client as last
    // presented (the texture), at the fit for the output it is shown on.
    if (wayland_) Fit();
    if (state == ShowState::Minimized) SDL_MinimizeWindow(window_);
    else if (state == ShowState::Maximized) SDL_MaximizeWindow(window_);
}

void SdlPlatform::SetCapture(bool capture) { SDL_CaptureMouse(capture ? SDL_TRUE : SDL_FALSE); }

int SdlPlatform::DisplayBitsPerPixel() {
    SDL_DisplayMode mode;
    if (videoReady_ && SDL_GetCurrentDisplayMode(0, &mode) == 0) return static_cast<int>(SDL_BITSPERPIXEL(mode.format));
    return 32;
}

TPixelView SdlPlatform::Screen() {
    if (screen_.empty()) return TPixelView{};
    return TPixelView{screen_.data(), width_, height_, width_};
}

void SdlPlatform::Present(const TRect& r) {
    if (!window_ || r.Empty()) return;
    if (wayland_) {
        // The changed rows as they are in the surface (whole rows: a
        // narrower rectangle SDL's GLES renderer would first copy), then the
        // view drawn again: a frame is always whole.
        const int top = r.top < 0 ? 0 : r.top, bottom = r.bottom > height_ ? height_ : r.bottom;
        if (top >= bottom) return;
        const SDL_Rect rows{0, top, width_, bottom - top};
        SDL_UpdateTexture(texture_, &rows, screen_.data() + static_cast<size_t>(top) * width_, width_ * 4);
        DrawView();
        return;
    }
    if (!frame_) return;
    SDL_Surface* target = SDL_GetWindowSurface(window_);
    if (!target) return;
    SDL_Rect area{r.left, r.top, r.right - r.left, r.bottom - r.top};
    const TRect p = scale_.ToPhysical(r);
    SDL_Rect dst{p.left, p.top, p.right - p.left, p.bottom - p.top};
    // Equal formats: SDL stretches by nearest neighbour, so each client
    // pixel becomes one k x k block.
    if (scale_.k == 1) SDL_BlitSurface(frame_, &area, target, &dst);
    else SDL_BlitScaled(frame_, &area, target, &dst);
    SDL_UpdateWindowSurfaceRects(window_, &dst, 1);
}

void SdlPlatform::ErrorBox(std::string_view title, std::string_view text) {
    const std::string t(title), m(text);
    std::fprintf(stderr, "%s: %s\n", t.c_str(), m.c_str());
    SDL_ShowSimpleMessageBox(SDL_MESSAGEBOX_ERROR, t.c_str(), m.c_str(), window_);
}

std::string SdlPlatform::ModuleFileName() {
    char path[4096];
    const ssize_t n = readlink("/proc/self/exe", path, sizeof path - 1);
    return n > 0 ? std::string(path, static_cast<size_t>(n)) : std::string("skrundle");
}

}  // namespace skr::platform
