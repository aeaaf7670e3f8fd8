#include "support/XSession.h"

#include <X11/Xatom.h>
#include <X11/Xutil.h>
#include <X11/extensions/XTest.h>
#include <fcntl.h>
#include <signal.h>
#include <sys/prctl.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <thread>

#include "support/Files.h"

extern char** environ;

namespace skr::e2e {

pid_t Spawn(const std::vector<std::string>& args, const std::vector<std::string>& extraEnv, const std::string& errorLog,
            bool ownGroup) {
    std::vector<std::string> envStrings;
    for (char** e = environ; *e; ++e) envStrings.emplace_back(*e);
    for (const std::string& e : extraEnv) envStrings.push_back(e);
    std::vector<char*> argv, envp;
    for (const std::string& a : args) argv.push_back(const_cast<char*>(a.c_str()));
    argv.push_back(nullptr);
    for (std::string& e : envStrings) envp.push_back(e.data());
    envp.push_back(nullptr);
    const pid_t parent = getpid();
    const pid_t pid = fork();
    if (pid != 0) return pid;
    prctl(PR_SET_PDEATHSIG, SIGKILL);
    if (getppid() != parent) _exit(127);
    if (ownGroup) setpgid(0, 0);
    const int null = open("/dev/null", O_RDWR);
    dup2(null, 0);
    dup2(null, 1);
    const int err = errorLog.empty() ? -1 : open(errorLog.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
    dup2(err >= 0 ? err : null, 2);
    execvpe(argv[0], argv.data(), envp.data());
    _exit(127);
}

bool BlackBounds(const std::vector<uint32_t>& pixels, int imageWidth, int imageHeight, int least, int& left, int& top,
                 int& right, int& bottom) {
    if (pixels.size() != size_t(imageWidth) * size_t(imageHeight)) return false;
    std::vector<int> rows(static_cast<size_t>(imageHeight)), cols(static_cast<size_t>(imageWidth));
    for (int y = 0; y < imageHeight; ++y)
        for (int x = 0; x < imageWidth; ++x)
            if ((pixels[size_t(y) * size_t(imageWidth) + size_t(x)] & 0xFFFFFF) == 0)
                ++rows[static_cast<size_t>(y)], ++cols[static_cast<size_t>(x)];
    auto span = [least](const std::vector<int>& counts, int& from, int& to) {
        from = to = -1;
        for (int i = 0; i < static_cast<int>(counts.size()); ++i) {
            if (counts[static_cast<size_t>(i)] < least) continue;
            if (from < 0) from = i;
            to = i + 1;
        }
        return from >= 0;
    };
    return span(cols, left, right) && span(rows, top, bottom);
}

bool FindBlackArea(const std::vector<uint32_t>& pixels, int imageWidth, int imageHeight, int width, int height, int& left,
                   int& top) {
    // The rows and columns black for two thirds of the area's width or
    // height (the desktop and the frames are not black; the pointer is
    // small); their bounds must be the area.
    int right = 0, bottom = 0;
    return BlackBounds(pixels, imageWidth, imageHeight, 2 * std::min(width, height) / 3, left, top, right, bottom) &&
           right - left == width && bottom - top == height;
}

namespace {

// X errors (a window that went away between two requests) are reported by
// the requests' results, not by ending the test program.
int IgnoreXError(Display*, XErrorEvent*) { return 0; }

void Sleep(int ms) { std::this_thread::sleep_for(std::chrono::milliseconds(ms)); }

std::string LockFile(int display) { return "/tmp/.X" + std::to_string(display) + "-lock"; }

// The process holding a display number: an X server writes its process id
// into the number's lock file before it accepts connections. -1 when the
// file cannot be read.
pid_t LockHolder(int display) {
    FILE* f = std::fopen(LockFile(display).c_str(), "r");
    if (!f) return -1;
    long pid = -1;
    if (std::fscanf(f, "%ld", &pid) != 1) pid = -1;
    std::fclose(f);
    return static_cast<pid_t>(pid);
}

}  // namespace

XSession::XSession(int scale) : scale_(std::max(scale, 1)) {
    XSetErrorHandler(IgnoreXError);
    const std::string screen = std::to_string(800 * scale_) + "x" + std::to_string(600 * scale_) + "x24";
    for (int n = 91; n < 120 && !display_; ++n) {
        if (access(LockFile(n).c_str(), F_OK) == 0) continue;
        name_ = ":" + std::to_string(n);
        // (-noreset: the server keeps its resources when its last client goes.)
        xvfb_ = Spawn({"Xvfb", name_, "-screen", "0", screen, "-nolisten", "tcp", "-noreset"}, {});
        if (xvfb_ < 0) return;
        bool ended = false;
        for (int i = 0; i < 100 && !display_; ++i) {
            Sleep(50);
            display_ = XOpenDisplay(name_.c_str());
            int status;
            if (!display_ && waitpid(xvfb_, &status, WNOHANG) == xvfb_) {
                ended = true;  // display taken: next
                break;
            }
        }
        // The server that answered need not be ours: a session that found the
        // number free at the same moment may have started its server first,
        // and ours then gave up. Two sessions on one display would see each
        // other's windows (and close each other's programs), so only the
        // server named in the lock file counts.
        if (display_ && LockHolder(n) != xvfb_) {
            XCloseDisplay(display_);
            display_ = nullptr;
        }
        if (!display_) {
            if (!ended) {
                kill(xvfb_, SIGTERM);
                waitpid(xvfb_, nullptr, 0);
            }
            xvfb_ = -1;
        }
    }
    // The desktop's scale, as xrdb sets it: the root window's resources.
    if (display_) {
        const std::string resources = "Xft.dpi:\t" + std::to_string(96 * scale_) + "\n";
        XChangeProperty(display_, DefaultRootWindow(display_), XA_RESOURCE_MANAGER, XA_STRING, 8, PropModeReplace,
                        reinterpret_cast<const unsigned char*>(resources.data()), static_cast<int>(resources.size()));
        XSync(display_, False);
    }
}

XSession::~XSession() {
    if (program_ > 0) {
        kill(program_, SIGKILL);
        waitpid(program_, nullptr, 0);
    }
    if (compositorPid_ > 0) {
        // (Its D-Bus session and the compositor under it: the whole group.)
        kill(-compositorPid_, SIGTERM);
        waitpid(compositorPid_, nullptr, 0);
    }
    if (!runtimeDir_.empty()) {
        std::error_code ec;
        std::filesystem::remove_all(runtimeDir_, ec);
    }
    if (windowManager_ > 0) {
        kill(windowManager_, SIGTERM);
        waitpid(windowManager_, nullptr, 0);
    }
    if (display_) XCloseDisplay(display_);
    if (xvfb_ > 0) {
        kill(xvfb_, SIGTERM);
        waitpid(xvfb_, nullptr, 0);
    }
    if (!errorLog_.empty()) std::remove(errorLog_.c_str());
}

std::string LogTail(const std::string& errorLog) {
    const std::vector<uint8_t> log = test::TryReadFile(errorLog).value_or(std::vector<uint8_t>{});
    const std::string text(log.begin(), log.end());
    return text.size() > 4000 ? text.substr(text.size() - 4000) : text;
}

std::string XSession::ProgramErrors() const { return LogTail(errorLog_); }

bool XSession::StartWindowManager() {
    windowManager_ = Spawn({"openbox"}, {"DISPLAY=" + name_});
    if (windowManager_ < 0) return false;
    // Ready once it has announced itself on the root window.
    const Atom check = XInternAtom(display_, "_NET_SUPPORTING_WM_CHECK", False);
    for (int i = 0; i < 100; ++i) {
        Atom type;
        int format;
        unsigned long n = 0, after;
        unsigned char* data = nullptr;
        if (XGetWindowProperty(display_, DefaultRootWindow(display_), check, 0, 1, False, XA_WINDOW, &type, &format, &n,
                               &after, &data) == Success && data) {
            XFree(data);
            if (n == 1) return true;
        }
        Sleep(50);
    }
    return false;
}

bool XSession::FrameExtents(Window w, long extents[4]) {
    const Atom atom = XInternAtom(display_, "_NET_FRAME_EXTENTS", False);
    Atom type;
    int format;
    unsigned long n = 0, after;
    unsigned char* data = nullptr;
    if (XGetWindowProperty(display_, w, atom, 0, 4, False, XA_CARDINAL, &type, &format, &n, &after, &data) != Success ||
        !data)
        return false;
    const bool ok = n == 4;
    if (ok)
        for (int i = 0; i < 4; ++i) extents[i] = reinterpret_cast<long*>(data)[i];
    XFree(data);
    return ok;
}

bool XSession::Launch(const std::string& program) {
    // X11 and SDL keep allocations until exit; the leak checker would only
    // report those, so it is off for the program (the unit tests keep it).
    // A program built for another CPU runs under its emulator.
#ifdef SKRUNDLE_EMULATOR
    const std::vector<std::string> command{SKRUNDLE_EMULATOR, program};
#else
    const std::vector<std::string> command{program};
#endif
    return Launch(command, {"SDL_AUDIODRIVER=dummy", "ASAN_OPTIONS=detect_leaks=0"});
}

namespace {

// A cursor theme whose pointers show nothing (one transparent pixel, in the
// Xcursor file format): a compositor draws the pointer into its output, and
// what the tests read there must be the client's pixels alone. Its folder.
std::string InvisibleCursors(const std::string& under) {
    const std::string dir = under + "/icons/skr-invisible/cursors";
    std::error_code ec;
    std::filesystem::create_directories(dir, ec);
    // Header (magic, size, version, one entry), the entry (an image of
    // nominal size 1 at offset 28), the image (its header, then one pixel).
    const uint32_t words[] = {0x72756358u, 16, 0x10000, 1, 0xFFFD0002u, 1, 28,
                              36, 0xFFFD0002u, 1, 1, 1, 1, 0, 0, 0, 0x00000000u};
    for (const char* name : {"default", "left_ptr", "arrow", "pointer", "text", "xterm"}) {
        std::ofstream out(dir + "/" + name, std::ios::binary);
        for (const uint32_t w : words) {
            const unsigned char b[4] = {uint8_t(w), uint8_t(w >> 8), uint8_t(w >> 16), uint8_t(w >> 24)};
            out.write(reinterpret_cast<const char*>(b), 4);
        }
    }
    return under + "/icons";
}

}  // namespace

Window XSession::StartMutter() {
    char tmpl[] = "/tmp/skr-wayland-XXXXXX";
    if (!display_ || compositorPid_ > 0 || !mkdtemp(tmpl)) return 0;
    runtimeDir_ = tmpl;
    cursorPath_ = InvisibleCursors(runtimeDir_);
    // New windows in the middle of the screen, with room around them on
    // every side (for presses and moves outside the window), shown at once
    // (no fading in: what is read of a window is its own pixels).
    const std::string settings = runtimeDir_ + "/config/glib-2.0/settings";
    std::error_code ec;
    std::filesystem::create_directories(settings, ec);
    std::ofstream(settings + "/keyfile") << "[org/gnome/mutter]\ncenter-new-windows=true\n"
                                         << "[org/gnome/desktop/interface]\nenable-animations=false\n";
    waylandDisplay_ = "skr-wayland-" + name_.substr(1);
    // A dummy monitor as large as the screen, at the session's scale; a
    // session bus of its own (mutter needs one), and no Xwayland.
    const std::string mode = std::to_string(800 * scale_) + "x" + std::to_string(600 * scale_);
    compositorPid_ = Spawn({"dbus-run-session", "--", "mutter", "--nested", "--wayland", "--no-x11",
                            "--wayland-display=" + waylandDisplay_},
                           {"DISPLAY=" + name_, "XDG_RUNTIME_DIR=" + runtimeDir_, "MUTTER_DEBUG_DUMMY_MODE_SPECS=" + mode,
                            "MUTTER_DEBUG_DUMMY_MONITOR_SCALES=" + std::to_string(scale_), "GSETTINGS_BACKEND=keyfile",
                            "XDG_CONFIG_HOME=" + runtimeDir_ + "/config",
                            "XCURSOR_PATH=" + cursorPath_, "XCURSOR_THEME=skr-invisible"},
                           {}, true);
    if (compositorPid_ < 0) return 0;
    // Ready once its socket is there and its output window is shown.
    for (int i = 0; i < 200 && !std::filesystem::exists(runtimeDir_ + "/" + waylandDisplay_); ++i) Sleep(50);
    compositor_ = WaitForWindow("mutter", 10000);
    return compositor_;
}

std::vector<std::string> XSession::WaylandEnv() const {
    return {"WAYLAND_DISPLAY=" + waylandDisplay_, "XDG_RUNTIME_DIR=" + runtimeDir_, "XCURSOR_PATH=" + cursorPath_,
            "XCURSOR_THEME=skr-invisible"};
}

bool XSession::FindWaylandClient(int clientWidth, int clientHeight, int timeoutMs, int& left, int& top, int pollMs) {
    XWindowAttributes attrs;
    if (!compositor_ || !XGetWindowAttributes(display_, compositor_, &attrs)) return false;
    const auto end = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeoutMs);
    for (; std::chrono::steady_clock::now() <= end; Sleep(pollMs)) {
        XImage* image = XGetImage(display_, compositor_, 0, 0, static_cast<unsigned>(attrs.width),
                                  static_cast<unsigned>(attrs.height), AllPlanes, ZPixmap);
        if (!image) continue;
        std::vector<uint32_t> screen;
        screen.reserve(size_t(attrs.width) * size_t(attrs.height));
        for (int y = 0; y < attrs.height; ++y)
            for (int x = 0; x < attrs.width; ++x) screen.push_back(static_cast<uint32_t>(XGetPixel(image, x, y)));
        XDestroyImage(image);
        if (FindBlackArea(screen, attrs.width, attrs.height, clientWidth * scale_, clientHeight * scale_, left, top)) {
            clientLeft_ = left;
            clientTop_ = top;
            clientWidth_ = clientWidth;
            clientHeight_ = clientHeight;
            return true;
        }
    }
    return false;
}

bool XSession::Launch(const std::vector<std::string>& args, const std::vector<std::string>& env) {
    std::vector<std::string> all{"DISPLAY=" + name_};
    if (compositorPid_ > 0)
        for (const std::string& e : WaylandEnv()) all.push_back(e);
    all.insert(all.end(), env.begin(), env.end());
    if (errorLog_.empty()) errorLog_ = "/tmp/skr_program_" + std::to_string(getpid()) + "_" + name_.substr(1) + ".log";
    program_ = Spawn(args, all, errorLog_);
    return program_ > 0;
}

void XSession::PressKey(const char* keysym) {
    const KeyCode code = XKeysymToKeycode(display_, XStringToKeysym(keysym));
    XTestFakeKeyEvent(display_, code, True, CurrentTime);
    XTestFakeKeyEvent(display_, code, False, 30);
    XFlush(display_);
}

namespace {

// The window's title: its UTF-8 _NET_WM_NAME when it has one (Japanese
// titles), else WM_NAME.
std::string TitleOf(Display* d, Window w) {
    const Atom netName = XInternAtom(d, "_NET_WM_NAME", False), utf8 = XInternAtom(d, "UTF8_STRING", False);
    Atom type;
    int format;
    unsigned long n = 0, after;
    unsigned char* data = nullptr;
    std::string title;
    if (XGetWindowProperty(d, w, netName, 0, 1024, False, utf8, &type, &format, &n, &after, &data) == Success && data) {
        title.assign(reinterpret_cast<char*>(data), n);
        XFree(data);
        if (!title.empty()) return title;
    }
    char* name = nullptr;
    if (XFetchName(d, w, &name) && name) {
        title = name;
        XFree(name);
    }
    return title;
}

// Finds a viewable window of that name below `parent` (a window manager
// puts the client inside its frame, so the search goes a few levels down).
Window FindNamed(Display* d, Window parent, const std::string& name, int depth) {
    Window root, up, *children = nullptr;
    unsigned n = 0;
    if (!XQueryTree(d, parent, &root, &up, &children, &n)) return 0;
    Window found = 0;
    for (unsigned i = 0; i < n && !found; ++i) {
        XWindowAttributes attrs;
        if (TitleOf(d, children[i]) == name && XGetWindowAttributes(d, children[i], &attrs) &&
            attrs.map_state == IsViewable)
            found = children[i];
        if (!found && depth > 0) found = FindNamed(d, children[i], name, depth - 1);
    }
    if (children) XFree(children);
    return found;
}

}  // namespace

Window XSession::WaitForWindow(const std::string& name, int timeoutMs, int pollMs) {
    pollMs = std::max(pollMs, 1);
    for (int waited = 0; waited <= timeoutMs; waited += pollMs) {
        if (const Window w = FindNamed(display_, DefaultRootWindow(display_), name, 2)) return w;
        Sleep(pollMs);
    }
    return 0;
}

bool XSession::PlacedGeometry(Window w, long extents[4], int& x, int& y, int& width, int& height) {
    for (int i = 0; i < 50 && !FrameExtents(w, extents); ++i) Sleep(100);
    Sleep(500);
    return Geometry(w, x, y, width, height);
}

bool XSession::Geometry(Window w, int& x, int& y, int& width, int& height) {
    XWindowAttributes attrs;
    if (!XGetWindowAttributes(display_, w, &attrs)) return false;
    Window child;
    XTranslateCoordinates(display_, w, DefaultRootWindow(display_), 0, 0, &x, &y, &child);
    width = attrs.width;
    height = attrs.height;
    return true;
}

std::vector<uint32_t> XSession::Capture(Window w, int width, int height) { return CaptureArea(w, 0, 0, width, height); }

std::vector<uint32_t> XSession::CaptureArea(Window w, int left, int top, int width, int height) {
    std::vector<uint32_t> out;
    const int k = scale_;
    XImage* image = XGetImage(display_, w, At(w, left, false), At(w, top, true), static_cast<unsigned>(width * k),
                              static_cast<unsigned>(height * k), AllPlanes, ZPixmap);
    if (!image) return out;
    out.reserve(static_cast<size_t>(width) * height);
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x) {
            const uint32_t pixel = static_cast<uint32_t>(XGetPixel(image, x * k, y * k)) & 0xFFFFFF;
            bool one = true;
            for (int i = 0; i < k * k && one; ++i)
                one = (static_cast<uint32_t>(XGetPixel(image, x * k + i % k, y * k + i / k)) & 0xFFFFFF) == pixel;
            mixedBlocks_ += !one;
            out.push_back(pixel);
        }
    XDestroyImage(image);
    return out;
}

void XSession::Click(Window w, int x, int y, int button) {
    MovePointer(w, x, y);
    XTestFakeButtonEvent(display_, static_cast<unsigned>(button), True, CurrentTime);
    XTestFakeButtonEvent(display_, static_cast<unsigned>(button), False, 30);
    XFlush(display_);
}

void XSession::MovePointer(Window w, int x, int y) {
    // The block's last physical pixel: the program must floor, not round.
    // (Except left of or above a Wayland window: SDL gives its pointer in
    // whole window units truncated toward zero, so there only a block's
    // first pixel is reported in that block.)
    const bool compositor = w && w == compositor_;
    const int dx = compositor && x < 0 ? 0 : scale_ - 1, dy = compositor && y < 0 ? 0 : scale_ - 1;
    int rx, ry;
    Window child;
    XTranslateCoordinates(display_, w, DefaultRootWindow(display_), At(w, x, false) + dx, At(w, y, true) + dy, &rx, &ry,
                          &child);
    XTestFakeMotionEvent(display_, -1, rx, ry, CurrentTime);
    XFlush(display_);
}

void XSession::SetButton(int button, bool down) {
    XTestFakeButtonEvent(display_, static_cast<unsigned>(button), down ? True : False, CurrentTime);
    XFlush(display_);
}

void XSession::Sync() { XSync(display_, False); }

void XSession::SetKey(const char* keysym, bool down) {
    const KeyCode code = XKeysymToKeycode(display_, XStringToKeysym(keysym));
    XTestFakeKeyEvent(display_, code, down ? True : False, CurrentTime);
    XFlush(display_);
}

void XSession::Focus(Window w) {
    XSetInputFocus(display_, w, RevertToPointerRoot, CurrentTime);
    XSync(display_, False);
}

void XSession::Uncover(Window w, int x, int y, int width, int height) {
    // Zero would mean "to the window's edge"; an empty area is no area.
    if (width <= 0 || height <= 0) return;
    XClearArea(display_, w, x * scale_, y * scale_, static_cast<unsigned>(width * scale_),
               static_cast<unsigned>(height * scale_), True);
    XFlush(display_);
}

void XSession::CoverWithAnotherWindow(Window w, int width, int height) {
    int x = 0, y = 0;
    Window child = 0;
    XTranslateCoordinates(display_, w, DefaultRootWindow(display_), At(w, 0, false), At(w, 0, true), &x, &y, &child);
    XSetWindowAttributes attrs{};
    attrs.override_redirect = True;  // exactly there, without a frame
    attrs.background_pixel = WhitePixel(display_, DefaultScreen(display_));
    const Window cover = XCreateWindow(display_, DefaultRootWindow(display_), x, y, static_cast<unsigned>(width * scale_),
                                       static_cast<unsigned>(height * scale_), 0, CopyFromParent, InputOutput, CopyFromParent,
                                       CWOverrideRedirect | CWBackPixel, &attrs);
    XMapRaised(display_, cover);
    XSync(display_, False);
    usleep(300 * 1000);
    XDestroyWindow(display_, cover);
    XSync(display_, False);
}

void XSession::Iconify(Window w) {
    XIconifyWindow(display_, w, DefaultScreen(display_));
    XSync(display_, False);
}

void XSession::Restore(Window w) {
    XMapRaised(display_, w);
    XSync(display_, False);
}

bool XSession::Viewable(Window w) {
    XWindowAttributes attrs;
    return XGetWindowAttributes(display_, w, &attrs) && attrs.map_state == IsViewable;
}

uint32_t XSession::Pixel(Window w, int x, int y) {
    // A compositor's frame may draw over the client's outermost physical
    // pixels (libdecor's, at 200 %): there a block is read at its pixel
    // nearest the client's middle.
    int dx = 0, dy = 0;
    if (w && w == compositor_) {
        dx = 2 * x < clientWidth_ ? scale_ - 1 : 0;
        dy = 2 * y < clientHeight_ ? scale_ - 1 : 0;
    }
    XImage* image = XGetImage(display_, w, At(w, x, false) + dx, At(w, y, true) + dy, 1, 1, AllPlanes, ZPixmap);
    if (!image) return 0xFFFFFFFFu;
    const uint32_t pixel = static_cast<uint32_t>(XGetPixel(image, 0, 0)) & 0xFFFFFF;
    XDestroyImage(image);
    return pixel;
}

void XSession::RequestClose(Window w) {
    // A Wayland window: the compositor's close shortcut, for the focused one.
    if (w && w == compositor_) {
        SetKey("Alt_L", true);
        PressKey("F4");
        SetKey("Alt_L", false);
        return;
    }
    XEvent ev;
    std::memset(&ev, 0, sizeof ev);
    ev.xclient.type = ClientMessage;
    ev.xclient.window = w;
    ev.xclient.message_type = XInternAtom(display_, "WM_PROTOCOLS", False);
    ev.xclient.format = 32;
    ev.xclient.data.l[0] = static_cast<long>(XInternAtom(display_, "WM_DELETE_WINDOW", False));
    ev.xclient.data.l[1] = CurrentTime;
    XSendEvent(display_, w, False, NoEventMask, &ev);
    XFlush(display_);
}

int WaitForExit(pid_t& pid, int timeoutMs) {
    for (int waited = 0; waited <= timeoutMs; waited += 20) {
        int status = 0;
        if (waitpid(pid, &status, WNOHANG) == pid) {
            pid = -1;
            return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
        }
        Sleep(20);
    }
    return -1;
}

int XSession::WaitExit(int timeoutMs) { return WaitForExit(program_, timeoutMs); }

WinePrefix::WinePrefix(const std::string& program, int dpi) {
    namespace fs = std::filesystem;
    std::error_code ec;
    // (Wine takes only an absolute prefix.)
    const fs::path base = fs::absolute(fs::path(program).parent_path() / "wineprefix", ec);
    if (!fs::exists(base / "user.reg", ec)) return;
    if (dpi == 96) {
        path_ = base.string();
        StopServer();
        return;
    }
    char tmpl[] = "/tmp/skr-wineprefix-XXXXXX";
    if (!mkdtemp(tmpl)) return;
    path_ = tmpl;
    own_ = true;
    // Links to the build prefix's files (its symbolic links, such as the
    // drive letters, copied as links), then a registry of its own.
    fs::copy(base, path_,
             fs::copy_options::recursive | fs::copy_options::create_hard_links | fs::copy_options::copy_symlinks, ec);
    bool ok = !ec;
    for (const char* reg : {"system.reg", "user.reg", "userdef.reg"}) {
        fs::remove(fs::path(path_) / reg, ec);
        ok = fs::copy_file(base / reg, fs::path(path_) / reg, ec) && ok;
    }
    // The desktop's pixels per inch, as the display settings store them.
    const fs::path user = fs::path(path_) / "user.reg";
    const std::vector<uint8_t> bytes = test::TryReadFile(user.string()).value_or(std::vector<uint8_t>{});
    std::string text(bytes.begin(), bytes.end());
    const std::string key = "[Control Panel\\\\Desktop]";
    const size_t at = text.find(key);
    const size_t line = at == std::string::npos ? at : text.find('\n', at);
    char value[48];
    std::snprintf(value, sizeof value, "\"LogPixels\"=dword:%08x\n", static_cast<unsigned>(dpi));
    if (!ok || line == std::string::npos) {
        fs::remove_all(path_, ec);
        path_.clear();
        return;
    }
    text.insert(line + 1, value);
    std::ofstream(user, std::ios::trunc) << text;
}

WinePrefix::~WinePrefix() {
    if (path_.empty()) return;
    StopServer();
    std::error_code ec;
    if (own_) std::filesystem::remove_all(path_, ec);
}

std::vector<std::string> WinePrefix::Env() const {
    return {"WINEPREFIX=" + path_, "WINEARCH=win64", "WINEDEBUG=-all", "WINEDLLOVERRIDES=mscoree,mshtml="};
}

void WinePrefix::StopServer() const {
    // A server left from an earlier run may still talk to another display.
    const std::string cmd =
        "WINEPREFIX='" + path_ + "' wineserver -k >/dev/null 2>&1; WINEPREFIX='" + path_ + "' wineserver -w >/dev/null 2>&1";
    [[maybe_unused]] const int rc = std::system(cmd.c_str());
}

}  // namespace skr::e2e
