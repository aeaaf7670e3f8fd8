#include "platform/win32/Win32Platform.h"

#include <windows.h>
#include <mmsystem.h>

#include <cstring>
#include <vector>

#include "platform/Scale.h"
#include "platform/WaveImage.h"

namespace skr::platform {
namespace {

// The fixed frame: caption, system menu (with the close button) and a
// working minimise button; no sizing border, no maximise button.
constexpr DWORD kWindowStyle = WS_OVERLAPPED | WS_CAPTION | WS_SYSMENU | WS_MINIMIZEBOX | WS_CLIPCHILDREN;

HWND AsWindow(void* p) { return static_cast<HWND>(p); }
HDC AsDc(void* p) { return static_cast<HDC>(p); }

// The per-monitor DPI calls of Windows 10 and later, looked up at run time
// so that the program still starts where they do not exist.
template <class F>
F User32Call(const char* name) {
    const HMODULE user32 = GetModuleHandleA("user32.dll");
    const FARPROC f = user32 ? GetProcAddress(user32, name) : nullptr;
    return reinterpret_cast<F>(reinterpret_cast<void (*)()>(f));
}
using GetDpiForWindowCall = UINT(WINAPI*)(HWND);
using AdjustWindowRectExForDpiCall = BOOL(WINAPI*)(RECT*, DWORD, BOOL, DWORD, UINT);

// The pixels per inch of the window's monitor (of the screen before there
// is a window).
int DpiOf(HWND window) {
    static const auto forWindow = User32Call<GetDpiForWindowCall>("GetDpiForWindow");
    if (window && forWindow)
        if (const UINT dpi = forWindow(window)) return static_cast<int>(dpi);
    HDC dc = GetDC(window);
    const int dpi = dc ? GetDeviceCaps(dc, LOGPIXELSX) : 0;
    if (dc) ReleaseDC(window, dc);
    return dpi > 0 ? dpi : USER_DEFAULT_SCREEN_DPI;
}

// The outer rectangle, at the origin, of a window with this client size and
// style, with the frame as it is drawn at `dpi`.
RECT OuterFor(int clientWidth, int clientHeight, DWORD style, int dpi) {
    static const auto forDpi = User32Call<AdjustWindowRectExForDpiCall>("AdjustWindowRectExForDpi");
    RECT r{0, 0, clientWidth, clientHeight};
    if (!forDpi || !forDpi(&r, style, FALSE, 0, static_cast<UINT>(dpi))) AdjustWindowRectEx(&r, style, FALSE, 0);
    return r;
}

// A 32-bit DIB section, rows top-down (negative height), pixels 0x00RRGGBB
// as the canvas draws them, selected into a memory DC of its own; black.
bool MakeDib(int width, int height, Win32Platform::Dib& out) {
    BITMAPINFO bmi{};
    bmi.bmiHeader.biSize = sizeof bmi.bmiHeader;
    bmi.bmiHeader.biWidth = width;
    bmi.bmiHeader.biHeight = -height;
    bmi.bmiHeader.biPlanes = 1;
    bmi.bmiHeader.biBitCount = 32;
    bmi.bmiHeader.biCompression = BI_RGB;
    void* bits = nullptr;
    HBITMAP dib = CreateDIBSection(nullptr, &bmi, DIB_RGB_COLORS, &bits, nullptr, 0);
    if (!dib || !bits) return false;
    HDC memory = CreateCompatibleDC(nullptr);
    if (!memory) {
        DeleteObject(dib);
        return false;
    }
    out = Win32Platform::Dib{memory, dib, SelectObject(memory, dib), static_cast<uint32_t*>(bits), width, height};
    std::memset(out.pixels, 0, static_cast<size_t>(width) * height * 4);
    return true;
}

void FreeDib(Win32Platform::Dib& d) {
    if (d.dc) {
        SelectObject(AsDc(d.dc), static_cast<HGDIOBJ>(d.old));
        DeleteDC(AsDc(d.dc));
    }
    if (d.bitmap) DeleteObject(static_cast<HGDIOBJ>(d.bitmap));
    d = Win32Platform::Dib{};
}

// The work area of the monitor at a point of the screen.
TRect WorkAreaAt(int x, int y) {
    MONITORINFO info{};
    info.cbSize = sizeof info;
    if (!GetMonitorInfoA(MonitorFromPoint(POINT{x, y}, MONITOR_DEFAULTTOPRIMARY), &info))
        return TRect{0, 0, GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN)};
    return TRect{info.rcWork.left, info.rcWork.top, info.rcWork.right, info.rcWork.bottom};
}

LRESULT CALLBACK WindowProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_NCCREATE) {
        const auto* create = reinterpret_cast<const CREATESTRUCTA*>(lParam);
        SetWindowLongPtrA(hwnd, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(create->lpCreateParams));
    }
    auto* self = reinterpret_cast<Win32Platform*>(GetWindowLongPtrA(hwnd, GWLP_USERDATA));
    intptr_t result = 0;
    if (self && self->HandleMessage(message, wParam, lParam, result)) return result;
    return DefWindowProcA(hwnd, message, wParam, lParam);
}

// The ANSI code page's form of a UTF-8 text, for the "A" calls.
std::string Utf8ToAnsi(std::string_view utf8) {
    const std::wstring wide = Utf8ToWide(utf8);
    if (wide.empty()) return {};
    const int n = WideCharToMultiByte(CP_ACP, 0, wide.data(), static_cast<int>(wide.size()), nullptr, 0, nullptr, nullptr);
    std::string out(static_cast<size_t>(n > 0 ? n : 0), '\0');
    if (n > 0) WideCharToMultiByte(CP_ACP, 0, wide.data(), static_cast<int>(wide.size()), out.data(), n, nullptr, nullptr);
    return out;
}

std::string AnsiToUtf8(std::string_view ansi) {
    if (ansi.empty()) return {};
    const int n = MultiByteToWideChar(CP_ACP, 0, ansi.data(), static_cast<int>(ansi.size()), nullptr, 0);
    std::wstring wide(static_cast<size_t>(n > 0 ? n : 0), L'\0');
    if (n > 0) MultiByteToWideChar(CP_ACP, 0, ansi.data(), static_cast<int>(ansi.size()), wide.data(), n);
    return WideToUtf8(wide);
}

}  // namespace

std::wstring Utf8ToWide(std::string_view utf8) {
    if (utf8.empty()) return {};
    const int n = MultiByteToWideChar(CP_UTF8, 0, utf8.data(), static_cast<int>(utf8.size()), nullptr, 0);
    std::wstring out(static_cast<size_t>(n > 0 ? n : 0), L'\0');
    if (n > 0) MultiByteToWideChar(CP_UTF8, 0, utf8.data(), static_cast<int>(utf8.size()), out.data(), n);
    return out;
}

std::string WideToUtf8(std::wstring_view wide) {
    if (wide.empty()) return {};
    const int n = WideCharToMultiByte(CP_UTF8, 0, wide.data(), static_cast<int>(wide.size()), nullptr, 0, nullptr, nullptr);
    std::string out(static_cast<size_t>(n > 0 ? n : 0), '\0');
    if (n > 0) WideCharToMultiByte(CP_UTF8, 0, wide.data(), static_cast<int>(wide.size()), out.data(), n, nullptr, nullptr);
    return out;
}

bool MouseMessageToEvent(unsigned message, uintptr_t wParam, intptr_t lParam, bool altDown, RawEvent& out) {
    switch (message) {
        case WM_LBUTTONDOWN: out.type = EventType::ButtonDown, out.button = Button::Left; break;
        case WM_RBUTTONDOWN: out.type = EventType::ButtonDown, out.button = Button::Right; break;
        case WM_MBUTTONDOWN: out.type = EventType::ButtonDown, out.button = Button::Middle; break;
        case WM_LBUTTONUP: out.type = EventType::ButtonUp, out.button = Button::Left; break;
        case WM_RBUTTONUP: out.type = EventType::ButtonUp, out.button = Button::Right; break;
        case WM_MBUTTONUP: out.type = EventType::ButtonUp, out.button = Button::Middle; break;
        case WM_MOUSEMOVE: out.type = EventType::PointerMove; break;
        default: return false;
    }
    // Client coordinates are signed 16-bit values: a captured pointer left
    // or above the client area gives negative ones.
    out.x = static_cast<int16_t>(static_cast<uint16_t>(lParam & 0xFFFF));
    out.y = static_cast<int16_t>(static_cast<uint16_t>((lParam >> 16) & 0xFFFF));
    out.modifiers = 0;
    if (wParam & MK_SHIFT) out.modifiers |= kShift;
    if (wParam & MK_CONTROL) out.modifiers |= kCtrl;
    if (altDown) out.modifiers |= kAlt;
    return true;
}

std::unique_ptr<Platform> OpenPlatform() { return std::make_unique<Win32Platform>(); }

Win32Platform::Win32Platform() {
    instance_ = GetModuleHandleA(nullptr);
    // The program's manifest declares it DPI-aware (per monitor): the system
    // neither stretches nor blurs it, and the backend scales by whole
    // pixels itself.
    // Waits and the tick counter's deadlines to the millisecond: the default
    // system timer resolution (about 15.6 ms) would make the 90 ms game tick
    // jitter by a sixth of its period.
    timerPeriodSet_ = timeBeginPeriod(1) == TIMERR_NOERROR;
}

Win32Platform::~Win32Platform() {
    sndPlaySoundA(nullptr, 0);
    if (window_) DestroyWindow(AsWindow(window_));
    FreeDib(screen_);
    FreeDib(scaled_);
    if (icon_) DestroyIcon(static_cast<HICON>(icon_));
    if (classRegistered_) UnregisterClassA(spec_.className.c_str(), static_cast<HINSTANCE>(instance_));
    if (timerPeriodSet_) timeEndPeriod(1);
}

uint32_t Win32Platform::TickCount() { return GetTickCount(); }

TSystemTime Win32Platform::SystemTime() {
    SYSTEMTIME st;
    GetSystemTime(&st);
    return TSystemTime{st.wHour, st.wMinute, st.wSecond, st.wMilliseconds};
}

bool Win32Platform::PollEvent(RawEvent& out) {
    MSG msg;
    while (events_.empty() && PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
        // The shell ends the program itself; a stray quit message asks the
        // same as the close button.
        if (msg.message == WM_QUIT) {
            Push(RawEvent{.type = EventType::CloseRequest});
            break;
        }
        TranslateMessage(&msg);
        DispatchMessageA(&msg);
    }
    if (events_.empty()) return false;
    out = events_.front();
    events_.pop_front();
    return true;
}

void Win32Platform::WaitEvent(uint32_t timeoutMs) {
    if (!events_.empty() || timeoutMs == 0) return;
    // MWMO_INPUTAVAILABLE: messages already in the queue but not yet looked
    // at also end the wait.
    MsgWaitForMultipleObjectsEx(0, nullptr, timeoutMs == kForever ? INFINITE : timeoutMs, QS_ALLINPUT,
                                MWMO_INPUTAVAILABLE);
}

bool Win32Platform::OpenWindow(const WindowSpec& spec) {
    if (window_) return true;
    spec_ = spec;
    const HINSTANCE instance = static_cast<HINSTANCE>(instance_);
    if (!classRegistered_) {
        WNDCLASSEXA wc{};
        wc.cbSize = sizeof wc;
        wc.lpfnWndProc = WindowProc;  // no CS_DBLCLKS: the shell detects double clicks
        wc.hInstance = instance;
        wc.hIcon = LoadIconA(instance, "MAINICON");
        wc.hIconSm = wc.hIcon;
        wc.hCursor = LoadCursorA(nullptr, IDC_ARROW);
        wc.hbrBackground = static_cast<HBRUSH>(GetStockObject(BLACK_BRUSH));
        wc.lpszClassName = spec.className.c_str();
        if (!RegisterClassExA(&wc)) return false;
        classRegistered_ = true;
    }

    // The screen surface the shell draws on, of the client size.
    if (!MakeDib(spec.clientWidth, spec.clientHeight, screen_)) return false;
    width_ = spec.clientWidth;
    height_ = spec.clientHeight;

    // The outer size is the client size, k times, plus the frame and
    // caption; the outer corner goes where it was stored, k times (where the
    // system would put a program it stretches). k is chosen for the screen
    // first, and again for the monitor the window is on.
    style_ = spec.fixedFrame ? kWindowStyle : kWindowStyle | WS_THICKFRAME | WS_MAXIMIZEBOX;
    const int dpi = DpiOf(nullptr);
    scale_.k = ScaleFor(dpi);
    const RECT outer = OuterFor(spec.clientWidth * scale_.k, spec.clientHeight * scale_.k, style_, dpi);
    const std::string caption = Utf8ToAnsi(spec.captionUtf8);
    window_ = CreateWindowExA(0, spec.className.c_str(), caption.c_str(), style_, spec.left * scale_.k, spec.top * scale_.k,
                              outer.right - outer.left, outer.bottom - outer.top, nullptr, nullptr, instance, this);
    if (!window_) return false;
    if (const int own = DpiOf(AsWindow(window_)); ScaleFor(own) != scale_.k) Rescale(own, nullptr);
    return scale_.k == 1 || scaled_.pixels || MakeDib(width_ * scale_.k, height_ * scale_.k, scaled_);
}

int Win32Platform::ScaleFor(int dpi) const {
    const RECT frame = OuterFor(0, 0, style_, dpi);
    return ScaleForDpi(dpi, spec_, frame.right - frame.left, frame.bottom - frame.top,
                       WorkAreaAt(spec_.left, spec_.top));
}

void Win32Platform::Rescale(int dpi, const void* suggested) {
    // The window keeps its place (or takes the system's suggestion, which
    // keeps it on the monitor it was moved to) and becomes k times the
    // client size for the monitor's scale.
    const int k = ScaleFor(dpi);
    if (k != scale_.k) {
        FreeDib(scaled_);
        if (k > 1 && !MakeDib(width_ * k, height_ * k, scaled_)) return;  // (no memory: the window stays as it was)
        scale_.k = k;
    }
    const RECT outer = OuterFor(width_ * scale_.k, height_ * scale_.k, style_, dpi);
    int x = spec_.left * scale_.k, y = spec_.top * scale_.k;
    if (suggested) {
        x = static_cast<const RECT*>(suggested)->left;
        y = static_cast<const RECT*>(suggested)->top;
    }
    SetWindowPos(AsWindow(window_), nullptr, x, y, outer.right - outer.left, outer.bottom - outer.top,
                 SWP_NOZORDER | SWP_NOACTIVATE);
    InvalidateRect(AsWindow(window_), nullptr, FALSE);
}

void Win32Platform::SetCaption(std::string_view utf8) {
    if (window_) SetWindowTextA(AsWindow(window_), Utf8ToAnsi(utf8).c_str());
}

void Win32Platform::SetIcon(const IconImage& icon) {
    if (!window_ || icon.width <= 0 || icon.height <= 0 ||
        icon.argb.size() < static_cast<size_t>(icon.width) * icon.height)
        return;
    // A 32-bit icon with its alpha channel; the mask is unused but required.
    BITMAPV5HEADER h{};
    h.bV5Size = sizeof h;
    h.bV5Width = icon.width;
    h.bV5Height = -icon.height;
    h.bV5Planes = 1;
    h.bV5BitCount = 32;
    h.bV5Compression = BI_BITFIELDS;
    h.bV5RedMask = 0x00FF0000;
    h.bV5GreenMask = 0x0000FF00;
    h.bV5BlueMask = 0x000000FF;
    h.bV5AlphaMask = 0xFF000000;
    void* bits = nullptr;
    HDC screen = GetDC(nullptr);
    HBITMAP color = CreateDIBSection(screen, reinterpret_cast<BITMAPINFO*>(&h), DIB_RGB_COLORS, &bits, nullptr, 0);
    ReleaseDC(nullptr, screen);
    if (!color || !bits) return;
    std::memcpy(bits, icon.argb.data(), static_cast<size_t>(icon.width) * icon.height * 4);
    HBITMAP mask = CreateBitmap(icon.width, icon.height, 1, 1, nullptr);
    ICONINFO info{TRUE, 0, 0, mask, color};
    HICON made = CreateIconIndirect(&info);
    DeleteObject(color);
    if (mask) DeleteObject(mask);
    if (!made) return;
    SendMessageA(AsWindow(window_), WM_SETICON, ICON_BIG, reinterpret_cast<LPARAM>(made));
    SendMessageA(AsWindow(window_), WM_SETICON, ICON_SMALL, reinterpret_cast<LPARAM>(made));
    if (icon_) DestroyIcon(static_cast<HICON>(icon_));
    icon_ = made;
}

void Win32Platform::Show(ShowState state) {
    if (!window_) return;
    const int command = state == ShowState::Maximized   ? SW_SHOWMAXIMIZED
                        : state == ShowState::Minimized ? SW_SHOWMINNOACTIVE
                                                        : SW_SHOWNORMAL;
    ShowWindow(AsWindow(window_), command);
    UpdateWindow(AsWindow(window_));
    shown_ = true;
}

ShowState ShowStateFromStartup(bool useShowWindow, unsigned showWindow) {
    if (!useShowWindow) return ShowState::Normal;
    if (showWindow == SW_SHOWMAXIMIZED) return ShowState::Maximized;    // 3
    if (showWindow == SW_SHOWMINNOACTIVE) return ShowState::Minimized;  // 7
    return ShowState::Normal;
}

ShowState Win32Platform::LaunchShowState() {
    STARTUPINFOA si{};
    si.cb = sizeof si;
    GetStartupInfoA(&si);
    return ShowStateFromStartup((si.dwFlags & STARTF_USESHOWWINDOW) != 0, si.wShowWindow);
}

void Win32Platform::SetCapture(bool capture) {
    if (capture && window_) ::SetCapture(AsWindow(window_));
    else if (!capture) ::ReleaseCapture();
}

uint32_t Win32Platform::DoubleClickTime() { return GetDoubleClickTime(); }

// The system's double-click rectangle is centred on the first press; it is
// given in physical pixels.
int Win32Platform::DoubleClickDistance() {
    const int d = GetSystemMetrics(SM_CXDOUBLECLK) / 2 / scale_.k;
    return d > 0 ? d : 1;
}

int Win32Platform::DisplayBitsPerPixel() {
    HDC dc = GetDC(nullptr);
    if (!dc) return 32;
    const int bits = GetDeviceCaps(dc, BITSPIXEL) * GetDeviceCaps(dc, PLANES);
    ReleaseDC(nullptr, dc);
    return bits > 0 ? bits : 32;
}

TPixelView Win32Platform::Screen() {
    if (!screen_.pixels) return TPixelView{};
    return TPixelView{screen_.pixels, width_, height_, width_};
}

void Win32Platform::Present(const TRect& r) {
    if (!window_ || !screen_.dc || r.Empty()) return;
    HDC dc = GetDC(AsWindow(window_));
    if (!dc) return;
    if (scale_.k == 1) {
        BitBlt(dc, r.left, r.top, r.right - r.left, r.bottom - r.top, AsDc(screen_.dc), r.left, r.top, SRCCOPY);
    } else {
        // Each pixel of the changed rectangle as a k x k block in the scaled
        // surface, copied to the window as it is (a system's stretching
        // copy is many times slower under Wine).
        const TPixelView from = Screen();
        ScaleUp(from, r, TPixelView{scaled_.pixels, scaled_.width, scaled_.height, scaled_.width}, scale_.k);
        const TRect p = scale_.ToPhysical(r);
        BitBlt(dc, p.left, p.top, p.right - p.left, p.bottom - p.top, AsDc(scaled_.dc), p.left, p.top, SRCCOPY);
    }
    ReleaseDC(AsWindow(window_), dc);
}

void Win32Platform::PlayWave(const uint8_t* image, size_t size) {
    // A new request stops what sounds (no SND_NOSTOP); an image the service
    // could not read is not handed to it at all, and still stops.
    if (!image || size == 0 || !ParseWave(image, size)) {
        sndPlaySoundA(nullptr, 0);
        return;
    }
    sndPlaySoundA(reinterpret_cast<LPCSTR>(image), SND_ASYNC | SND_NODEFAULT | SND_MEMORY);
}

void Win32Platform::ErrorBox(std::string_view title, std::string_view text) {
    // The wide call shows the Japanese texts whatever the system's code
    // page. Before the window is shown (the fatal start-up box) the box is
    // task-modal; afterwards it belongs to the window.
    const std::wstring wtitle = Utf8ToWide(title), wtext = Utf8ToWide(text);
    const HWND owner = shown_ ? AsWindow(window_) : nullptr;
    MessageBoxW(owner, wtext.c_str(), wtitle.c_str(), MB_OK | MB_ICONERROR | (owner ? 0 : MB_TASKMODAL));
}

std::string Win32Platform::ModuleFileName() {
    char path[MAX_PATH + 1] = {};
    const DWORD n = GetModuleFileNameA(nullptr, path, MAX_PATH);
    if (n == 0) return "skrundle.exe";
    path[n] = '\0';
    // The application title is made from the name converted from the OEM to
    // the ANSI code page (an identity for plain ASCII names).
    OemToCharA(path, path);
    return AnsiToUtf8(std::string_view(path, n));
}

bool Win32Platform::HandleMessage(unsigned message, uintptr_t wParam, intptr_t lParam, intptr_t& result) {
    RawEvent e;
    if (MouseMessageToEvent(message, wParam, lParam, GetKeyState(VK_MENU) < 0, e)) {
        e.x = scale_.ToClient(e.x);
        e.y = scale_.ToClient(e.y);
        Push(e);
        result = 0;
        return true;
    }
    switch (message) {
        case WM_PAINT: {
            // The update area becomes an expose; the shell repaints it and
            // presents what it drew. Painting validates the area.
            PAINTSTRUCT ps;
            BeginPaint(AsWindow(window_), &ps);
            const RECT& r = ps.rcPaint;
            if (r.right > r.left && r.bottom > r.top)
                Push(RawEvent{.type = EventType::Expose,
                              .area = scale_.ToClient(TRect{r.left, r.top, r.right, r.bottom})});
            EndPaint(AsWindow(window_), &ps);
            result = 0;
            return true;
        }
        case WM_SIZE:
            if (wParam == SIZE_MINIMIZED && !minimized_) {
                minimized_ = true;
                Push(RawEvent{.type = EventType::Minimize});
            } else if ((wParam == SIZE_RESTORED || wParam == SIZE_MAXIMIZED) && minimized_) {
                minimized_ = false;
                Push(RawEvent{.type = EventType::Restore});
            }
            return false;
        case WM_DPICHANGED:
            // Moved to a monitor of another scale: the suggested place, and
            // the size for the new k.
            Rescale(LOWORD(wParam), reinterpret_cast<const RECT*>(lParam));
            result = 0;
            return true;
        case WM_CLOSE:
            // Close button, system menu and Alt+F4: the shell decides; the
            // window goes only when the program ends.
            Push(RawEvent{.type = EventType::CloseRequest});
            result = 0;
            return true;
        default: return false;
    }
}

}  // namespace skr::platform
