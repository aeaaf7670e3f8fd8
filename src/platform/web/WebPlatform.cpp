#include "platform/web/WebPlatform.h"

#include <emscripten.h>

#include <cstring>
#include <string>

#include "platform/WaveImage.h"

// The page's side of the backend (WebPlatform.js). The three calls that
// wait are Asyncify imports: the program is suspended in them and resumed
// by the page.
extern "C" {
void skr_web_open(int width, int height, const char* caption);
void skr_web_set_caption(const char* caption);
void skr_web_set_icon(const uint32_t* argb, int width, int height);
void skr_web_show();
void skr_web_set_capture(int capture);
// Takes the oldest queued input event into nine fields (type, button, x, y,
// modifiers, area left, top, right, bottom); 0 when the queue is empty.
int skr_web_poll(int32_t* fields);
void skr_web_wait(double timeoutMs);  // negative: no deadline
void skr_web_yield();
void skr_web_present(const uint32_t* pixels, int stride, int left, int top, int right, int bottom);
int skr_web_clip(int id, const float* samples, int channels, int frames, int rate);
void skr_web_drop_clip(int id);
void skr_web_play_clip(int id, size_t size);
void skr_web_play(const uint8_t* image, size_t size);
void skr_web_stop();
void skr_web_error_box(const char* title, const char* text);
int skr_web_color_depth();
void skr_web_close();
}

namespace skr::platform {

// The page numbers events, buttons and modifiers as the seam does.
static_assert(static_cast<int>(EventType::ButtonDown) == 0 && static_cast<int>(EventType::ButtonUp) == 1 &&
              static_cast<int>(EventType::PointerMove) == 2 && static_cast<int>(EventType::Expose) == 3 &&
              static_cast<int>(EventType::CloseRequest) == 4 && static_cast<int>(EventType::Minimize) == 5 &&
              static_cast<int>(EventType::Restore) == 6);
static_assert(static_cast<int>(Button::Left) == 0 && static_cast<int>(Button::Right) == 1 &&
              static_cast<int>(Button::Middle) == 2);
static_assert(kShift == 1 && kAlt == 2 && kCtrl == 4);

std::unique_ptr<Platform> OpenPlatform() { return std::make_unique<WebPlatform>(); }

WebPlatform::WebPlatform() = default;

WebPlatform::~WebPlatform() {
    skr_web_stop();
    skr_web_close();
}

uint32_t WebPlatform::TickCount() {
    // The page's monotonic clock in whole milliseconds, modulo 2^32.
    return static_cast<uint32_t>(static_cast<uint64_t>(emscripten_get_now()));
}

TSystemTime WebPlatform::SystemTime() { return UtcTimeOfDay(); }

bool WebPlatform::TakeQueued(RawEvent& out) {
    int32_t f[9];
    if (!skr_web_poll(f)) return false;
    out.type = static_cast<EventType>(f[0]);
    out.button = static_cast<Button>(f[1]);
    out.x = f[2];
    out.y = f[3];
    out.modifiers = static_cast<uint32_t>(f[4]);
    out.area = TRect{f[5], f[6], f[7], f[8]};
    return true;
}

bool WebPlatform::PollEvent(RawEvent& out) {
    if (TakeQueued(out)) return true;
    // Nothing queued: the browser delivers input only while the program is
    // suspended, so a loop of polls lets it in every few milliseconds.
    if (emscripten_get_now() - lastYield_ < kYieldEveryMs) return false;
    skr_web_yield();
    lastYield_ = emscripten_get_now();
    return TakeQueued(out);
}

void WebPlatform::WaitEvent(uint32_t timeoutMs) {
    if (timeoutMs == 0) return;
    skr_web_wait(timeoutMs == kForever ? -1.0 : static_cast<double>(timeoutMs));
    lastYield_ = emscripten_get_now();
}

bool WebPlatform::OpenWindow(const WindowSpec& spec) {
    if (!screen_.empty()) return true;
    if (spec.clientWidth <= 0 || spec.clientHeight <= 0) return false;
    width_ = spec.clientWidth;
    height_ = spec.clientHeight;
    screen_.assign(static_cast<size_t>(width_) * height_, 0);
    skr_web_open(width_, height_, spec.captionUtf8.c_str());
    return true;
}

void WebPlatform::SetCaption(std::string_view utf8) { skr_web_set_caption(std::string(utf8).c_str()); }

void WebPlatform::SetIcon(const IconImage& icon) {
    if (icon.width <= 0 || icon.height <= 0 || icon.argb.size() < static_cast<size_t>(icon.width) * icon.height)
        return;
    skr_web_set_icon(icon.argb.data(), icon.width, icon.height);
}

// A page cannot minimise or maximise itself: the canvas is simply shown.
void WebPlatform::Show(ShowState) { skr_web_show(); }

void WebPlatform::SetCapture(bool capture) { skr_web_set_capture(capture ? 1 : 0); }

int WebPlatform::DisplayBitsPerPixel() { return skr_web_color_depth(); }

TPixelView WebPlatform::Screen() {
    if (screen_.empty()) return TPixelView{};
    return TPixelView{screen_.data(), width_, height_, width_};
}

void WebPlatform::Present(const TRect& r) {
    if (screen_.empty()) return;
    const TRect c{r.left < 0 ? 0 : r.left, r.top < 0 ? 0 : r.top, r.right > width_ ? width_ : r.right,
                 r.bottom > height_ ? height_ : r.bottom};
    if (!c.Empty()) skr_web_present(screen_.data(), width_, c.left, c.top, c.right, c.bottom);
}

void WebPlatform::PlayWave(const uint8_t* image, size_t size) {
    if (!image || size == 0) {
        skr_web_stop();
        return;
    }
    // A clip played before starts from its buffer at once; it is known by
    // its bytes, wherever they are now.
    for (const Clip& clip : clips_) {
        if (clip.image.size() == size && std::memcmp(clip.image.data(), image, size) == 0) {
            skr_web_play_clip(clip.id, size);
            return;
        }
    }
    // A new request stops what sounds; an image the WAVE reader does not
    // accept is not handed to the browser's decoder, and still stops.
    const std::optional<WaveInfo> info = ParseWave(image, size);
    if (!info) {
        skr_web_stop();
        return;
    }
    if (const int id = MakeClip(*info, image, size)) {
        skr_web_play_clip(id, size);
        return;
    }
    skr_web_play(image, size);
}

int WebPlatform::MakeClip(const WaveInfo& info, const uint8_t* image, size_t size) {
    if (info.channels < 1 || info.channels > kMaxClipChannels || info.samplesPerSec < kMinClipRate ||
        info.samplesPerSec > kMaxClipRate)
        return 0;
    std::vector<float> samples;
    const size_t frames = ToPlanarFloat(info, samples, kMaxClipSamples / info.channels);
    const int id = nextClip_ + 1;
    if (frames == 0 || !skr_web_clip(id, samples.data(), info.channels, static_cast<int>(frames),
                                     static_cast<int>(info.samplesPerSec)))
        return 0;
    nextClip_ = id;
    if (clips_.size() == kMaxClips) {
        skr_web_drop_clip(clips_.front().id);
        clips_.erase(clips_.begin());
    }
    clips_.push_back(Clip{std::vector<uint8_t>(image, image + size), id});
    return id;
}

void WebPlatform::ErrorBox(std::string_view title, std::string_view text) {
    skr_web_error_box(std::string(title).c_str(), std::string(text).c_str());
}

}  // namespace skr::platform
