#include "XSession.h"

#include <X11/Xatom.h>
#include <X11/Xutil.h>
#include <X11/extensions/XTest.h>
#include <fcntl.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <thread>

extern char** environ;

namespace skr::e2e {
namespace {

pid_t Spawn(const std::vector<std::string>& args, const std::vector<std::string>& extraEnv) {
    std::vector<char*> argv;
    for (const std::string& a : args) argv.push_back(const_cast<char*>(a.c_str()));
    argv.push_back(nullptr);
    std::vector<std::string> envStrings;
    for (char** e = environ; *e; ++e) envStrings.emplace_back(*e);
    for (const std::string& e : extraEnv) envStrings.push_back(e);
    std::vector<char*> envp;
    for (std::string& e : envStrings) envp.push_back(e.data());
    envp.push_back(nullptr);
    pid_t pid = -1;
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, 1, "/dev/null", O_WRONLY, 0);
    if (posix_spawnp(&pid, argv[0], &actions, nullptr, argv.data(), envp.data()) != 0) pid = -1;
    posix_spawn_file_actions_destroy(&actions);
    return pid;
}

void Sleep(int ms) { std::this_thread::sleep_for(std::chrono::milliseconds(ms)); }

}  // namespace

XSession::XSession() {
    for (int n = 91; n < 120 && !display_; ++n) {
        if (access(("/tmp/.X" + std::to_string(n) + "-lock").c_str(), F_OK) == 0) continue;
        name_ = ":" + std::to_string(n);
        xvfb_ = Spawn({"Xvfb", name_, "-screen", "0", "800x600x24", "-nolisten", "tcp"}, {});
        if (xvfb_ < 0) return;
        for (int i = 0; i < 100 && !display_; ++i) {
            Sleep(50);
            display_ = XOpenDisplay(name_.c_str());
            int status;
            if (!display_ && waitpid(xvfb_, &status, WNOHANG) == xvfb_) break;  // display taken: next
        }
        if (!display_) {
            kill(xvfb_, SIGTERM);
            waitpid(xvfb_, nullptr, 0);
            xvfb_ = -1;
        }
    }
}

XSession::~XSession() {
    if (program_ > 0) {
        kill(program_, SIGKILL);
        waitpid(program_, nullptr, 0);
    }
    if (display_) XCloseDisplay(display_);
    if (xvfb_ > 0) {
        kill(xvfb_, SIGTERM);
        waitpid(xvfb_, nullptr, 0);
    }
}

bool XSession::Launch(const std::string& program) {
    // X11 and SDL keep allocations until exit; the leak checker would only
    // report those, so it is off for the program (the unit tests keep it).
    program_ = Spawn({program}, {"DISPLAY=" + name_, "SDL_AUDIODRIVER=dummy", "ASAN_OPTIONS=detect_leaks=0"});
    return program_ > 0;
}

Window XSession::WaitForWindow(const std::string& name, int timeoutMs) {
    for (int waited = 0; waited <= timeoutMs; waited += 50) {
        Window root, parent, *children = nullptr;
        unsigned n = 0;
        if (XQueryTree(display_, DefaultRootWindow(display_), &root, &parent, &children, &n)) {
            for (unsigned i = 0; i < n; ++i) {
                char* title = nullptr;
                XWindowAttributes attrs;
                if (XFetchName(display_, children[i], &title) && title) {
                    const bool match = name == title;
                    XFree(title);
                    if (match && XGetWindowAttributes(display_, children[i], &attrs) && attrs.map_state == IsViewable) {
                        const Window w = children[i];
                        XFree(children);
                        return w;
                    }
                }
            }
            if (children) XFree(children);
        }
        Sleep(50);
    }
    return 0;
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

std::vector<uint32_t> XSession::Capture(Window w, int width, int height) {
    std::vector<uint32_t> out;
    XImage* image = XGetImage(display_, w, 0, 0, static_cast<unsigned>(width), static_cast<unsigned>(height), AllPlanes, ZPixmap);
    if (!image) return out;
    out.reserve(static_cast<size_t>(width) * height);
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x) out.push_back(static_cast<uint32_t>(XGetPixel(image, x, y)) & 0xFFFFFF);
    XDestroyImage(image);
    return out;
}

void XSession::Click(Window w, int x, int y, int button) {
    int rx, ry;
    Window child;
    XTranslateCoordinates(display_, w, DefaultRootWindow(display_), x, y, &rx, &ry, &child);
    XTestFakeMotionEvent(display_, -1, rx, ry, CurrentTime);
    XTestFakeButtonEvent(display_, static_cast<unsigned>(button), True, CurrentTime);
    XTestFakeButtonEvent(display_, static_cast<unsigned>(button), False, 30);
    XFlush(display_);
}

void XSession::RequestClose(Window w) {
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

int XSession::WaitExit(int timeoutMs) {
    for (int waited = 0; waited <= timeoutMs; waited += 20) {
        int status = 0;
        if (waitpid(program_, &status, WNOHANG) == program_) {
            program_ = -1;
            return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
        }
        Sleep(20);
    }
    return -1;
}

}  // namespace skr::e2e
