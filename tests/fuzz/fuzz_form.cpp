// Fuzz target: any byte string read as the definition of the game's own
// window, TForm1, with the program's real classes (pictures holding bitmaps,
// icons or JPEG images, the timer, sprite strips, sound clips) on the
// headless platform, in the program's start-up order. A definition the
// reader refuses, or one that leaves out a component the game needs, ends
// with one of the reader's documented errors. A window that builds is then
// exercised: every frame of every strip drawn onto the window's canvas,
// every clip played, every picture shown, repainted, clicked and hidden
// again, with a bounded number of events handled in between. The error
// boxes it raises on the way must all be errors the framework documents.
#include <string>
#include <string_view>

#include "FuzzCheck.h"
#include "app/Application.h"
#include "app/Form.h"
#include "app/Image.h"
#include "app/Messages.h"
#include "components/BmpList.h"
#include "components/WavePlay.h"
#include "core/Exception.h"
#include "core/Messages.h"
#include "formdef/FormReader.h"
#include "formdef/Messages.h"
#include "game/Unit1.h"
#include "gfx/JPEGImage.h"
#include "platform/headless/HeadlessPlatform.h"

using namespace skr;
using namespace skr::fuzz;

namespace {

constexpr std::string_view kPropertySeparator = " の読み込み中のエラー : ";
constexpr int kScreenW = 385, kScreenH = 289;
// Bounds on the work one input may cause: events handled per pump, frames
// drawn per strip, pictures shown (each may hold a 16 MiB decoded image).
constexpr int kPumpEvents = 48;
constexpr int kMaxFrames = 600;
constexpr int kMaxPictures = 24;

// The errors of a picture's image at its first draw, and of a strip.
bool IsDrawError(std::string_view m) {
    return IsJpegError(m) || m == kReadError || m == kInvalidIcon || m == "TBitmapList: Empty" ||
           m == "TBitmapList: Invalid Index" || m == msg::NoTimers;
}

// Every error reading a definition and building the window may end with.
bool IsBuildError(std::string_view m) {
    static const std::string_view plain[] = {
        msg::InvalidStreamFormat, msg::ReadError,  msg::PropertyNotFound, msg::InvalidPropertyPath,
        msg::InvalidPropertyValue, msg::ReadOnlyProperty, kInvalidBitmap, kInvalidIcon, msg::NoTimers,
        msg::CannotCreateWindow,
    };
    for (std::string_view p : plain)
        if (m == p) return true;
    if (IsJpegError(m)) return true;
    if (Between(m, "クラス ", " が見つかりません") || Between(m, "コンポーネント ", " が見つかりません") ||
        Between(m, "コンポーネント名に ''", "'' は使えません") || Between(m, "コンポーネント名 ", " はすでに使われています") ||
        Between(m, "", " に代入できません"))
        return true;
    // An error inside a property, wrapped with its object and property
    // name; the stored name may itself hold the separator.
    for (size_t at = m.find(kPropertySeparator); at != std::string_view::npos; at = m.find(kPropertySeparator, at + 1))
        if (IsBuildError(m.substr(at + kPropertySeparator.size()))) return true;
    return false;
}

// The error box text of a handler error: the message with "." added.
bool IsBoxOfDrawError(std::string_view text) {
    if (!text.empty() && text.back() == '.') text.remove_suffix(1);
    return IsDrawError(text);
}

void Pump(TApplication& app, int events = kPumpEvents) {
    for (int i = 0; i < events && app.HandleOne(); ++i) {
    }
}

template <class Fn>
void ExpectStripError(const char* message, Fn&& draw) {
    try {
        draw();
    } catch (const EInvalidOperation& e) {
        if (e.Message() != message) Unexpected("strip", e.Message());
        return;
    }
    Unexpected("strip", std::string("no error, expected ") + message);
}

void DrawStrip(TBitmapList& strip, TCanvas& canvas) {
    if (strip.Bitmap()->Empty()) {
        ExpectStripError("TBitmapList: Empty", [&] { strip.Draw(canvas, 0, 0, 0); });
        return;
    }
    const int n = strip.NumImages(), w = strip.Width(), h = strip.Height();
    const int full = strip.Bitmap()->Width();
    SKR_FUZZ_CHECK(n >= 1 && w >= 1 && int64_t{n} * w <= full && h == strip.Bitmap()->Height());
    ExpectStripError("TBitmapList: Invalid Index", [&] { strip.Draw(canvas, 0, 0, -1); });
    ExpectStripError("TBitmapList: Invalid Index", [&] { strip.Draw(canvas, 0, 0, n); });
    for (int i = 0; i < n && i < kMaxFrames; ++i)
        strip.Draw(canvas, (i * 37) % kScreenW - w / 2, (i * 23) % kScreenH - h / 2, i);
    // Far outside the canvas, up to the end of the coordinate range.
    strip.Draw(canvas, INT32_MAX, INT32_MAX, n - 1);
    strip.Draw(canvas, INT32_MAX - w, 0, 0);
    strip.Draw(canvas, INT32_MIN, INT32_MIN, 0);
    strip.Draw(canvas, -w, -h, n - 1);
    // And the other way of drawing: keyed if it was opaque, opaque if keyed.
    const bool keyed = strip.Transparent();
    strip.SetTransparent(!keyed);
    strip.Draw(canvas, kScreenW - w / 2, kScreenH - h / 2, n - 1);
    strip.Draw(canvas, 1, 1, 0);
    strip.SetTransparent(keyed);
}

void PlayClip(platform::HeadlessPlatform& p, const TWavePlayer& player) {
    const size_t before = p.Sounds().size();
    player.Play();
    SKR_FUZZ_CHECK(p.Sounds().size() == before + 1);
    const auto& request = p.Sounds().back();
    SKR_FUZZ_CHECK(request.image == player.Wave()->Memory() && request.size == player.Wave()->Size());
}

// Whether a press at (x, y) reaches the picture: it is the topmost visible,
// enabled control there.
bool Reaches(TForm& form, const TImage& image, int x, int y) {
    const auto& controls = form.Controls();
    for (auto it = controls.rbegin(); it != controls.rend(); ++it) {
        const TControl* c = *it;
        if (c->Visible() && c->Enabled() && c->BoundsRect().Contains(x, y)) return c == &image;
    }
    return false;
}

// Presses the picture in the middle of what the window shows of it (or of
// the whole picture, when it lies off the window) and drags the pointer off
// to the far corners of the pointer's range before the release, clicks it
// with the right button, then with the left one (its handler may hide it):
// each only while a press there reaches the picture, so no press reaches
// the window itself (which would start a game).
void ClickPicture(platform::HeadlessPlatform& p, TApplication& app, TForm& form, TImage& image) {
    TRect r = image.BoundsRect();
    if (r.Empty()) return;
    if (const TRect shown = r.Intersect(TRect{0, 0, kScreenW, kScreenH}); !shown.Empty()) r = shown;
    const int x = static_cast<int>((int64_t{r.left} + r.right) / 2), y = static_cast<int>((int64_t{r.top} + r.bottom) / 2);
    if (!Reaches(form, image, x, y)) return;
    p.Press(p.Now(), x, y);
    // Pointer events carry 16-bit coordinates on every platform.
    p.Post(p.Now(), platform::RawEvent{.type = platform::EventType::PointerMove, .x = -32768, .y = 32767});
    p.Post(p.Now(), platform::RawEvent{.type = platform::EventType::PointerMove, .x = 32767, .y = -32768});
    p.Release(p.Now(), 32767, -32768);
    Pump(app);
    // Each press later than a double click.
    p.AdvanceTo(p.Now() + 600);
    if (!Reaches(form, image, x, y)) return;
    p.Click(p.Now(), x, y, platform::Button::Right);
    Pump(app);
    p.AdvanceTo(p.Now() + 600);
    if (!Reaches(form, image, x, y)) return;
    p.Click(p.Now(), x, y);
    Pump(app);
}

void ShowPicture(platform::HeadlessPlatform& p, TApplication& app, TForm& form, TImage& image) {
    image.SetVisible(true);
    Pump(app);
    // A repaint of the picture's own rectangle, outside the event loop.
    form.Invalidate(image.BoundsRect(), false);
    try {
        form.PaintNow();
    } catch (const Exception& e) {
        if (!IsDrawError(e.Message())) Unexpected("repaint", e.Message());
    }
    ClickPicture(p, app, form, image);
    image.SetVisible(false);
    Pump(app);
}

void Exercise(platform::HeadlessPlatform& p, TApplication& app, TForm1& form) {
    TCanvas& canvas = form.Canvas();
    int pictures = 0;
    for (size_t i = 0; i < form.ComponentCount(); ++i) {
        TComponent* c = form.Components(i);
        if (auto* strip = dynamic_cast<TBitmapList*>(c)) DrawStrip(*strip, canvas);
        else if (auto* player = dynamic_cast<TWavePlayer*>(c)) PlayClip(p, *player);
    }
    Pump(app);
    for (size_t i = 0; i < form.ComponentCount(); ++i)
        if (auto* image = dynamic_cast<TImage*>(form.Components(i)); image && pictures++ < kMaxPictures)
            ShowPicture(p, app, form, *image);
    // The whole window once more, with the fill.
    form.Invalidate();
    try {
        form.PaintNow();
    } catch (const Exception& e) {
        if (!IsDrawError(e.Message())) Unexpected("repaint", e.Message());
    }
    Pump(app);
    const TPixelView screen = p.Screen();
    SKR_FUZZ_CHECK((TRect{0, 0, screen.width, screen.height}.Contains(canvas.TakeChanged())));
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    static const bool registered = (RegisterProgramClasses(), true);
    (void)registered;
    platform::HeadlessPlatform p;  // outlives the application and its window
    {
        TApplication app(p);
        Form1 = new TForm1(nullptr);  // the application owns it from here
        TForm1& form = *Form1;
        try {
            ReadRootComponent({data, size}, form);
        } catch (const Exception& e) {
            if (!IsBuildError(e.Message())) Unexpected("building the window", e.Message());
            if (const char* v = std::getenv("SKR_FUZZ_VERBOSE"); v && *v == '1')
                std::fprintf(stderr, "not built: %s\n", e.Message().c_str());
            return 0;
        }
        SKR_FUZZ_CHECK(p.WindowCreated());
        // As at start-up: FormCreate's errors are shown and start-up goes on.
        try {
            form.DoCreate();
        } catch (const std::exception& e) {
            app.ShowException(e);
        }
        form.HandleNeeded();
        form.Show(platform::ShowState::Normal);
        Pump(app);
        Exercise(p, app, form);
        for (const auto& box : p.ErrorBoxes())
            if (!IsBoxOfDrawError(box.text)) Unexpected("event handling", box.text);
        // SKR_FUZZ_VERBOSE=1: what the input did, for a look at a replay.
        if (const char* v = std::getenv("SKR_FUZZ_VERBOSE"); v && *v == '1') {
            std::fprintf(stderr, "window built: %zu components, %zu sounds, %zu error boxes, virtual time %llu ms\n",
                         form.ComponentCount(), p.Sounds().size(), p.ErrorBoxes().size(),
                         static_cast<unsigned long long>(p.Now()));
            for (const auto& box : p.ErrorBoxes()) std::fprintf(stderr, "  box: %s\n", box.text.c_str());
        }
    }
    SKR_FUZZ_CHECK(Form1 == nullptr);
    return 0;
}
