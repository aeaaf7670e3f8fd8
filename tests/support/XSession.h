// Runs the real program in a real window: a private Xvfb display, the
// program as a child process, and Xlib to look at and poke its window.
#pragma once

#include <X11/Xlib.h>
#include <sys/types.h>

#include <chrono>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <vector>

namespace skr::e2e {

// Starts a child with no output of its own (so a test runner reading ours
// never waits on it) that dies with this process, whatever ends it (and,
// with `ownGroup`, in a process group of its own, for the children it
// starts). Its error output goes to `errorLog` when one is named.
pid_t Spawn(const std::vector<std::string>& args, const std::vector<std::string>& extraEnv,
            const std::string& errorLog = {}, bool ownGroup = false);
// The exit code of a child started so (then `pid` is -1), or -1 when it has
// not ended within the time or was killed.
int WaitForExit(pid_t& pid, int timeoutMs);
// The end of a child's error log (the last lines before it ended say most).
std::string LogTail(const std::string& errorLog);

// In an image of 0x00RRGGBB rows: the bounds of the rows and columns with
// at least `least` black pixels (a black window on a desktop that is not),
// right and bottom excluded.
bool BlackBounds(const std::vector<uint32_t>& pixels, int imageWidth, int imageHeight, int least, int& left, int& top,
                 int& right, int& bottom);
// Where an area of width x height pixels is black but for less than a third
// of its rows and columns (a program's first frame) while what is around it
// is not (a desktop, a frame): its corner.
bool FindBlackArea(const std::vector<uint32_t>& pixels, int imageWidth, int imageHeight, int width, int height, int& left,
                   int& top);

// The program the real-window tests start: the one built here, or another
// copy of it (the installed one, when the package is checked) named by
// SKRUNDLE_PROGRAM.
#ifdef SKRUNDLE_PROGRAM
inline const char* ProgramUnderTest() {
    const char* other = std::getenv("SKRUNDLE_PROGRAM");
    return other && *other ? other : SKRUNDLE_PROGRAM;
}
#endif

// Milliseconds on the steady clock: the time base the tests' moments share.
inline double NowMs() {
    return std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now().time_since_epoch()).count();
}

// A display whose desktop asks for `scale` times the classic 96 pixels per
// inch (the X resource Xft.dpi), on a screen large enough for the window
// at that scale. Every call taking client coordinates or sizes (captures,
// presses, pointer moves, uncovering) works in the program's client pixels
// and expects each one shown as a scale x scale block: a press goes to the
// block's last physical pixel, and a capture reads one pixel a block and
// counts the blocks that are not one colour. Geometry is physical.
//
// The display may also carry a nested Wayland compositor, GNOME's mutter,
// at the same scale: its output is an X window covering the screen, and
// once the client area of the Wayland window it shows has been found, the
// client-coordinate calls on that X window work in the Wayland window's
// client pixels as they do on an X window's (XTest presses and the
// screen's pixels, through the compositor).
class XSession {
public:
    explicit XSession(int scale = 1);
    ~XSession();
    bool Ready() const { return display_ != nullptr; }

    // Starts mutter nested on the display, its Wayland socket in a runtime
    // folder of the session's own; programs launched afterwards (and
    // WaylandEnv()) find it. Its X window, or 0 when it did not start.
    Window StartMutter();
    // WAYLAND_DISPLAY and XDG_RUNTIME_DIR of the nested compositor, and a
    // cursor theme whose pointers show nothing (the compositor draws the
    // pointer into its output, and what is read there must be the client's).
    std::vector<std::string> WaylandEnv() const;
    // Waits for the compositor to show a window whose client area is
    // clientWidth x clientHeight client pixels, all black but for a part
    // smaller than a third of its rows and columns (a program's first
    // frame), and makes it the client of the compositor's window. Its
    // corner in the compositor's window, physical; false after the time.
    bool FindWaylandClient(int clientWidth, int clientHeight, int timeoutMs, int& left, int& top, int pollMs = 100);
    // The compositor's process (its D-Bus session, mutter under it).
    pid_t CompositorPid() const { return compositorPid_; }

    // Starts a window manager (openbox) on the display; false when none starts.
    bool StartWindowManager();
    // The frame's extents around a client window (left, right, top, bottom);
    // false until the window manager has set them.
    bool FrameExtents(Window w, long extents[4]);
    // Under a window manager: waits (up to 5 s) for the frame's extents, lets
    // the manager finish placing the window, then reads its client geometry.
    bool PlacedGeometry(Window w, long extents[4], int& x, int& y, int& width, int& height);
    // Starts the program; false when it did not start.
    bool Launch(const std::string& program);
    // Starts a command on the display with extra environment ("NAME=value").
    bool Launch(const std::vector<std::string>& args, const std::vector<std::string>& env);
    // Presses and releases a key (an X keysym name such as "Return").
    void PressKey(const char* keysym);
    // Waits for a top-level window with that title (UTF-8), looking every
    // pollMs; 0 when none appeared.
    Window WaitForWindow(const std::string& name, int timeoutMs, int pollMs = 50);
    // Client size and position on the screen.
    bool Geometry(Window w, int& x, int& y, int& width, int& height);
    // The window's client pixels as 0x00RRGGBB.
    std::vector<uint32_t> Capture(Window w, int width, int height);
    // The pixels of a rectangle of the client, rows top-down.
    std::vector<uint32_t> CaptureArea(Window w, int left, int top, int width, int height);
    // How many client pixels captured so far were not shown as one colour.
    long MixedBlocks() const { return mixedBlocks_; }
    int Scale() const { return scale_; }
    // Returns once the server has handled every request sent so far.
    void Sync();
    // Presses and releases a button at client coordinates (XTest).
    void Click(Window w, int x, int y, int button = 1);
    // Moves the pointer to client coordinates, which may lie outside the
    // window (XTest).
    void MovePointer(Window w, int x, int y);
    // Presses or releases a button where the pointer is (XTest).
    void SetButton(int button, bool down);
    // Presses or releases a key (an X keysym name such as "Shift_L"; XTest).
    void SetKey(const char* keysym, bool down);
    // Gives the window the keyboard focus.
    void Focus(Window w);
    // Has the server clear an area of the window and report it uncovered
    // (an Expose to the window's owner).
    void Uncover(Window w, int x, int y, int width, int height);
    // Maps another window over the whole client for a moment and takes it
    // away again, as a window passing over the game does.
    void CoverWithAnotherWindow(Window w, int width, int height);
    // Asks the window manager to minimise the window; restores it.
    void Iconify(Window w);
    void Restore(Window w);
    // Whether the window still exists and is shown.
    bool Viewable(Window w);
    // One client pixel as 0x00RRGGBB; 0xFFFFFFFF when it cannot be read.
    uint32_t Pixel(Window w, int x, int y);
    // Asks the window to close, as the close button does (the nested
    // compositor's window: its close shortcut, for the Wayland window).
    void RequestClose(Window w);
    // Waits for the program to end; its exit code, or -1 on time-out or signal.
    int WaitExit(int timeoutMs);
    std::string DisplayName() const { return name_; }
    // The process started by Launch (-1 when none is running).
    pid_t ProgramPid() const { return program_; }
    // What the program started by Launch wrote to its error output (the
    // last 4,000 bytes), for a failing test to show.
    std::string ProgramErrors() const;

private:
    // A client coordinate's physical place in window w: in the nested
    // compositor's window, from the Wayland client's corner.
    int At(Window w, int x, bool vertical) const {
        return (w && w == compositor_ ? (vertical ? clientTop_ : clientLeft_) : 0) + x * scale_;
    }

    int scale_ = 1;
    long mixedBlocks_ = 0;
    pid_t xvfb_ = -1;
    pid_t compositorPid_ = -1;
    Window compositor_ = 0;
    int clientLeft_ = 0, clientTop_ = 0, clientWidth_ = 0, clientHeight_ = 0;
    std::string runtimeDir_, waylandDisplay_, cursorPath_;
    pid_t program_ = -1;
    std::string errorLog_;
    pid_t windowManager_ = -1;
    Display* display_ = nullptr;
    std::string name_;
};

// The Windows program's Wine for a test: the prefix beside the program (made
// by its build), or at another dpi a prefix of the test's own whose desktop
// asks for that many pixels per inch (the build prefix's files linked, not
// copied, with a registry of its own). Any Wine server of the prefix is
// stopped when this is made and when it goes; a prefix of its own is
// removed.
class WinePrefix {
public:
    explicit WinePrefix(const std::string& program, int dpi = 96);
    ~WinePrefix();
    WinePrefix(const WinePrefix&) = delete;
    WinePrefix& operator=(const WinePrefix&) = delete;
    bool Ready() const { return !path_.empty(); }
    // WINEPREFIX and the settings every test runs Wine with.
    std::vector<std::string> Env() const;
    void StopServer() const;

private:
    std::string path_;
    bool own_ = false;
};

}  // namespace skr::e2e
