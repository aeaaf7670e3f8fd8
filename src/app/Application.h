// TApplication: the event loop and its queue. Input comes from the platform
// in order; a repaint is made from the accumulated invalid area when no
// input waits; timer ticks come last, merge, and never pile up. Handler
// errors are shown in an error box and the loop goes on.
#pragma once

#include <deque>
#include <exception>
#include <string>
#include <vector>

#include "base/SystemTime.h"
#include "platform/Platform.h"

namespace skr {

class TForm;
class TTimer;

class TApplication {
public:
    explicit TApplication(platform::Platform& platform);
    ~TApplication();  // releases the forms (and with them every component)
    TApplication(const TApplication&) = delete;
    TApplication& operator=(const TApplication&) = delete;

    platform::Platform& Platform() noexcept { return platform_; }

    // Forms: the first one added becomes the main form. The application owns them.
    void AddForm(TForm* form);
    void RemoveForm(TForm* form);
    TForm* MainForm() const noexcept { return mainForm_; }
    const std::vector<TForm*>& Forms() const noexcept { return forms_; }

    // The event loop.
    void Run();
    // Takes one event and dispatches it; false when there was none.
    bool HandleOne();
    // Dispatches every event already waiting, then returns; never waits.
    void ProcessMessages();
    void PostQuit() { quitPosted_ = true; }
    bool Terminated() const noexcept { return terminated_; }

    // Timers. SetTimer (re)starts the timer's period; false when refused.
    bool SetTimer(TTimer* timer, uint32_t interval);
    void KillTimer(TTimer* timer);
    // How many timers the application may run at once.
    void SetTimerCapacity(size_t n) { timerCapacity_ = n; }

    // The error box for a handler error: titled with the application's title
    // (TitleFromModuleName), the message with "." added when its last
    // character's code is greater than ".".
    void ShowException(const std::exception& e);

private:
    struct TimerEntry {
        TTimer* timer;
        uint32_t interval;
        uint32_t due;
    };

    void Dispatch(const platform::RawEvent& e);
    void Present();
    TimerEntry* DueTimer(uint32_t now);
    uint32_t WaitTimeout(uint32_t now) const;

    platform::Platform& platform_;
    std::string title_;
    std::vector<TForm*> forms_;
    TForm* mainForm_ = nullptr;
    std::vector<TimerEntry> timers_;
    size_t timerCapacity_ = 64;
    bool quitPosted_ = false;
    bool terminated_ = false;
};

// The one application object of the process (null when none exists).
TApplication* Application() noexcept;

// The clocks of the platform the application runs on, for handlers: the
// millisecond tick counter (wraps at 2^32) and the UTC time of day.
uint32_t GetTickCount();
TSystemTime GetSystemTime();

// The file name of a path, without its folders ("/" or "\\").
std::string_view BaseName(std::string_view path) noexcept;
// The title the application takes from the executable's path: the file
// name, cut at its first full stop, lower case after its first byte.
std::string TitleFromModuleName(std::string_view path);

}  // namespace skr
