// TTimer: calls OnTimer every Interval milliseconds while Enabled, Interval
// is not 0 and a handler is bound. Any change of those restarts the period;
// setting a value equal to the current one changes nothing. Ticks come
// through the application's event queue at the lowest priority and merge.
#pragma once

#include "core/Component.h"

namespace skr {

class TApplication;

class TTimer : public TComponent {
public:
    SKR_CLASS_INFO()

    explicit TTimer(TComponent* owner);
    ~TTimer() override;

    int64_t Enabled() const { return enabled_; }
    void SetEnabled(int64_t enabled);
    int64_t Interval() const { return interval_; }
    void SetInterval(int64_t interval);
    void SetOnTimer(TNotifyEvent handler);
    bool Running() const noexcept { return running_; }

    TNotifyEvent OnTimer;

    // Called by the application for each tick.
    void Tick() { OnTimer(this); }

private:
    void UpdateTimer();

    bool enabled_ = true;
    uint32_t interval_ = 1000;
    bool running_ = false;
    TApplication* app_;  // the application whose queue carries the ticks
};

}  // namespace skr
