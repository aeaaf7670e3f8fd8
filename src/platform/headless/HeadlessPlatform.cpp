#include "platform/headless/HeadlessPlatform.h"

#include <algorithm>

#include "platform/WaveImage.h"

namespace skr::platform {

HeadlessPlatform::HeadlessPlatform() : HeadlessPlatform(Options{}) {}

HeadlessPlatform::HeadlessPlatform(Options options) : options_(options) {}

void HeadlessPlatform::Post(uint64_t t, RawEvent e) {
    auto it = std::upper_bound(script_.begin(), script_.end(), t,
                               [](uint64_t v, const Scripted& s) { return v < s.time; });
    script_.insert(it, Scripted{t, e});
}

void HeadlessPlatform::Press(uint64_t t, int x, int y, Button b) {
    Post(t, RawEvent{.type = EventType::ButtonDown, .button = b, .x = x, .y = y});
}

void HeadlessPlatform::Release(uint64_t t, int x, int y, Button b) {
    Post(t, RawEvent{.type = EventType::ButtonUp, .button = b, .x = x, .y = y});
}

void HeadlessPlatform::Click(uint64_t t, int x, int y, Button b) {
    Press(t, x, y, b);
    Release(t + 1, x, y, b);
}

void HeadlessPlatform::Expose(uint64_t t, TRect area) { Post(t, RawEvent{.type = EventType::Expose, .area = area}); }

void HeadlessPlatform::Close(uint64_t t) { Post(t, RawEvent{.type = EventType::CloseRequest}); }

uint32_t HeadlessPlatform::TickCount() { return static_cast<uint32_t>(options_.startTick + now_); }

TSystemTime HeadlessPlatform::SystemTime() {
    return TimeOfDayFromMs(options_.startTimeOfDayMs + now_);
}

bool HeadlessPlatform::PollEvent(RawEvent& out) {
    if (!script_.empty() && script_.front().time <= now_) {
        out = script_.front().event;
        script_.pop_front();
        lastPollEmpty_ = false;
        return true;
    }
    // Polling again and again finds time passing: each empty poll after an
    // empty poll costs a millisecond, so a busy wait ends, while the first
    // look after a wait or an event sees the clock exactly where it was.
    if (lastPollEmpty_) ++now_;
    lastPollEmpty_ = true;
    return false;
}

void HeadlessPlatform::WaitEvent(uint32_t timeoutMs) {
    lastPollEmpty_ = false;
    if (!script_.empty() && script_.front().time <= now_) return;
    if (timeoutMs == kForever) {
        if (script_.empty()) {
            Post(now_, RawEvent{.type = EventType::CloseRequest});
            return;
        }
        now_ = script_.front().time;
        return;
    }
    uint64_t until = now_ + timeoutMs;
    if (!script_.empty()) until = std::min(until, script_.front().time);
    now_ = std::max(now_, until);
}

bool HeadlessPlatform::OpenWindow(const WindowSpec& spec) {
    if (!options_.canCreateWindow) return false;
    if (created_) return true;
    spec_ = spec;
    created_ = true;
    width_ = std::max(spec.clientWidth, 0);
    height_ = std::max(spec.clientHeight, 0);
    screen_.assign(static_cast<size_t>(width_) * height_, 0);
    return true;
}

TPixelView HeadlessPlatform::Screen() { return TPixelView{screen_.data(), width_, height_, width_}; }

void HeadlessPlatform::PlayWave(const uint8_t* image, size_t size) {
    uint32_t duration = 0;
    if (image && size) {
        if (auto info = ParseWave(image, size); info && info->formatTag == 1) duration = info->DurationMs();
    }
    sounds_.push_back(SoundRequest{now_, size ? image : nullptr, image ? size : 0, duration});
}

const HeadlessPlatform::SoundRequest* HeadlessPlatform::SoundingAt(uint64_t t) const noexcept {
    // The last request at or before t decides: it replaced whatever sounded.
    const SoundRequest* last = nullptr;
    for (const SoundRequest& r : sounds_) {
        if (r.time > t) break;
        last = &r;
    }
    if (!last || !last->image || last->durationMs == 0) return nullptr;
    return t < last->time + last->durationMs ? last : nullptr;
}

void HeadlessPlatform::ErrorBox(std::string_view title, std::string_view text) {
    boxes_.push_back(Box{std::string(title), std::string(text)});
}

}  // namespace skr::platform
