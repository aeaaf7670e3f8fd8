#include "app/Application.h"

#include <algorithm>

#include "app/Form.h"
#include "app/Timer.h"
#include "core/Exception.h"

namespace skr {

namespace {
TApplication* theApplication = nullptr;
}

TApplication* Application() noexcept { return theApplication; }

uint32_t GetTickCount() { return theApplication ? theApplication->Platform().TickCount() : 0; }

TSystemTime GetSystemTime() { return theApplication ? theApplication->Platform().SystemTime() : TSystemTime{}; }

std::string_view BaseName(std::string_view path) noexcept {
    const size_t slash = path.find_last_of("/\\");
    return slash == std::string_view::npos ? path : path.substr(slash + 1);
}

std::string TitleFromModuleName(std::string_view path) {
    std::string name(BaseName(path));
    if (const size_t dot = name.find('.'); dot != std::string::npos) name.resize(dot);
    for (size_t i = 1; i < name.size(); ++i)
        if (name[i] >= 'A' && name[i] <= 'Z') name[i] = static_cast<char>(name[i] + 32);
    return name;
}

TApplication::TApplication(platform::Platform& platform) : platform_(platform) {
    theApplication = this;
    platform::SetActive(&platform);
    title_ = TitleFromModuleName(platform.ModuleFileName());
    timers_.reserve(timerCapacity_);
}

TApplication::~TApplication() {
    while (!forms_.empty()) delete forms_.back();  // each removes itself
    if (theApplication == this) theApplication = nullptr;
    if (platform::Active() == &platform_) platform::SetActive(nullptr);
}

void TApplication::AddForm(TForm* form) {
    forms_.push_back(form);
    if (!mainForm_) mainForm_ = form;
}

void TApplication::RemoveForm(TForm* form) {
    forms_.erase(std::remove(forms_.begin(), forms_.end(), form), forms_.end());
    if (mainForm_ == form) mainForm_ = nullptr;
}

bool TApplication::SetTimer(TTimer* timer, uint32_t interval) {
    const uint32_t due = platform_.TickCount() + interval;
    for (TimerEntry& t : timers_)
        if (t.timer == timer) {
            t.interval = interval;
            t.due = due;
            return true;
        }
    if (timers_.size() >= timerCapacity_) return false;
    timers_.push_back(TimerEntry{timer, interval, due});
    return true;
}

void TApplication::KillTimer(TTimer* timer) {
    timers_.erase(std::remove_if(timers_.begin(), timers_.end(), [&](const TimerEntry& t) { return t.timer == timer; }),
                  timers_.end());
}

TApplication::TimerEntry* TApplication::DueTimer(uint32_t now) {
    for (TimerEntry& t : timers_)
        if (static_cast<int32_t>(now - t.due) >= 0) return &t;
    return nullptr;
}

uint32_t TApplication::WaitTimeout(uint32_t now) const {
    uint32_t timeout = platform::Platform::kForever;
    for (const TimerEntry& t : timers_) {
        const int32_t left = static_cast<int32_t>(t.due - now);
        timeout = std::min(timeout, left <= 0 ? 0u : static_cast<uint32_t>(left));
    }
    return timeout;
}

void TApplication::Present() {
    for (TForm* f : forms_) {
        const TRect r = f->Canvas().TakeChanged();
        if (r.Empty()) continue;
        platform_.Present(r);
    }
}

void TApplication::Dispatch(const platform::RawEvent& e) {
    if (mainForm_) mainForm_->HandleInput(e, platform_.TickCount());
}

bool TApplication::HandleOne() {
    Present();  // what handlers drew so far goes to the screen
    try {
        if (quitPosted_) {
            quitPosted_ = false;
            terminated_ = true;
            return true;
        }
        platform::RawEvent e;
        if (platform_.PollEvent(e)) {
            Dispatch(e);
            Present();
            return true;
        }
        for (TForm* f : forms_)
            if (f->PaintPending()) {
                f->PaintNow();
                Present();
                return true;
            }
        // Ticks come last. Taking one moves the timer past every period
        // that has fallen due, so waiting ticks merge into this one.
        const uint32_t now = platform_.TickCount();
        if (TimerEntry* t = DueTimer(now)) {
            const uint32_t late = now - t->due;
            t->due += (late / t->interval + 1) * t->interval;
            TTimer* timer = t->timer;
            timer->Tick();
            Present();
            return true;
        }
    } catch (const std::exception& ex) {
        ShowException(ex);
        Present();
        return true;
    }
    return false;
}

void TApplication::ProcessMessages() {
    while (HandleOne()) {
    }
}

void TApplication::Run() {
    if (mainForm_) {
        platform::ShowState state = platform_.LaunchShowState();
        mainForm_->Show(state);
    }
    while (!terminated_) {
        if (!HandleOne()) {
            if (terminated_) break;
            bool paint = false;
            for (TForm* f : forms_) paint = paint || f->PaintPending();
            if (!paint && !quitPosted_) platform_.WaitEvent(WaitTimeout(platform_.TickCount()));
        }
    }
    Present();
}

void TApplication::ShowException(const std::exception& e) {
    std::string text = e.what();
    if (!text.empty() && static_cast<unsigned char>(text.back()) > '.') text += '.';
    platform_.ErrorBox(title_, text);
}

}  // namespace skr
