#include "app/Timer.h"

#include "app/Application.h"
#include "app/Messages.h"
#include "core/Exception.h"

namespace skr {

const TClassInfo& TTimer::StaticClass() {
    static const TPropInfo props[] = {
        WithDefault(OrdProp<&TTimer::Enabled, &TTimer::SetEnabled>("Enabled", TPropKind::Enumeration, BooleanNames()), 1),
        WithDefault(OrdProp<&TTimer::Interval, &TTimer::SetInterval>("Interval"), 1000),
        EventProp<&TTimer::OnTimer, &TTimer::SetOnTimer>("OnTimer"),
    };
    static const TClassInfo info{.name = "TTimer", .parent = &TComponent::StaticClass(), .props = props,
                                 .create = [](TComponent* owner) -> TComponent* { return new TTimer(owner); }};
    return info;
}

TTimer::TTimer(TComponent* owner) : TComponent(owner), app_(Application()) {}

TTimer::~TTimer() {
    if (running_ && app_) app_->KillTimer(this);
}

void TTimer::SetEnabled(int64_t enabled) {
    if ((enabled != 0) == enabled_) return;
    enabled_ = enabled != 0;
    UpdateTimer();
}

void TTimer::SetInterval(int64_t interval) {
    const uint32_t v = static_cast<uint32_t>(interval);
    if (v == interval_) return;
    interval_ = v;
    UpdateTimer();
}

void TTimer::SetOnTimer(TNotifyEvent handler) {
    OnTimer = std::move(handler);
    UpdateTimer();
}

void TTimer::UpdateTimer() {
    TApplication* app = app_;
    if (running_ && app) app->KillTimer(this);
    running_ = false;
    if (interval_ == 0 || !enabled_ || !OnTimer || !app) return;
    if (!app->SetTimer(this, interval_)) throw EOutOfResources(msg::NoTimers);
    running_ = true;
}

}  // namespace skr
