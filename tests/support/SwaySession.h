// The real program on a wlroots compositor: sway, headless (no display, no
// input devices; pixman renders), its one output at a whole scale. sway
// refuses to run as root, so a root test starts it as the user nobody in a
// runtime folder of its own. Its screen is read with grim; presses come
// through wayvnc, a VNC server that gives the compositor a pointer of its
// own (the virtual-pointer protocol), driven by a few lines of the VNC
// protocol here. Coordinates are the output's physical pixels unless said.
#pragma once

#include <sys/types.h>

#include <cstdint>
#include <string>
#include <vector>

namespace skr::e2e {

class SwaySession {
public:
    // An output of 960 x 540 window units at `scale`.
    explicit SwaySession(int scale);
    ~SwaySession();
    SwaySession(const SwaySession&) = delete;
    SwaySession& operator=(const SwaySession&) = delete;
    // sway and its pointer are up; what went wrong otherwise.
    bool Ready() const { return vnc_ >= 0; }
    const std::string& Failure() const { return failure_; }
    int Scale() const { return scale_; }

    // Starts a program on the compositor (its error output kept).
    bool Launch(const std::string& program, const std::vector<std::string>& env);
    // The screen as 0x00RRGGBB rows (empty when grim fails).
    std::vector<uint32_t> Screenshot(int& width, int& height);
    // Presses and releases the left button at a physical pixel.
    bool Click(int x, int y);
    // sway's tree of windows as JSON (swaymsg -t get_tree).
    std::string Tree();
    // Asks the window of that title to close (swaymsg kill).
    void Close(const std::string& title);
    // The program's exit code, or -1 on time-out.
    int WaitExit(int timeoutMs);
    std::string ProgramErrors() const;

private:
    bool Pointer(int x, int y, bool down);
    std::string SwayMsg(const std::string& args);

    int scale_;
    std::string dir_, runtime_, socket_, ipc_, failure_, errorLog_;
    pid_t sway_ = -1, wayvnc_ = -1, program_ = -1;
    int vnc_ = -1;
};

}  // namespace skr::e2e
