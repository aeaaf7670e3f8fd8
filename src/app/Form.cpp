#include "app/Form.h"

#include <algorithm>
#include <climits>
#include <cstdint>
#include <cstdlib>

#include "app/Application.h"
#include "app/Control.h"
#include "app/Messages.h"
#include "core/Exception.h"
#include "core/Filer.h"
#include "core/Text.h"
#include "gfx/Icon.h"

namespace skr {

namespace {

// The pointer's coordinate relative to a control's edge. A control may be
// placed near either end of the int range, further from the pointer than
// an int reaches (the capture keeps it when the pointer leaves it); the
// distance then stops at the range's end, still outside the control.
int Relative(int pointer, int64_t edge) noexcept {
    return static_cast<int>(std::clamp<int64_t>(int64_t{pointer} - edge, INT_MIN, INT_MAX));
}

const TIdentMap kBorderIconNames[] = {{"biSystemMenu", 0}, {"biMinimize", 1}, {"biMaximize", 2}, {"biHelp", 3}};
const TIdentMap kBorderStyleNames[] = {{"bsNone", 0},   {"bsSingle", 1},     {"bsSizeable", 2},
                                       {"bsDialog", 3}, {"bsToolWindow", 4}, {"bsSizeToolWin", 5}};

}  // namespace

const TClassInfo& TForm::StaticClass() {
    static const TPropInfo props[] = {
        OrdProp<&TForm::Left, &TForm::SetLeft>("Left"),
        OrdProp<&TForm::Top, &TForm::SetTop>("Top"),
        OrdProp<&TForm::BorderIcons, &TForm::SetBorderIcons>("BorderIcons", TPropKind::Set, kBorderIconNames),
        OrdProp<&TForm::BorderStyle, &TForm::SetBorderStyle>("BorderStyle", TPropKind::Enumeration, kBorderStyleNames),
        StrProp<&TForm::Caption, &TForm::SetCaption>("Caption"),
        OrdProp<&TForm::ClientHeight, &TForm::SetClientHeight>("ClientHeight"),
        OrdProp<&TForm::ClientWidth, &TForm::SetClientWidth>("ClientWidth"),
        OrdProp<&TForm::Color, &TForm::SetColor>("Color", TPropKind::Integer, ColorNames()),
        ObjProp<&TForm::Font>("Font"),
        ObjProp<&TForm::Icon>("Icon"),
        OrdProp<&TForm::OldCreateOrder, &TForm::SetOldCreateOrder>("OldCreateOrder", TPropKind::Enumeration, BooleanNames()),
        OrdProp<&TForm::Scaled, &TForm::SetScaled>("Scaled", TPropKind::Enumeration, BooleanNames()),
        NotStored(OrdProp<&TForm::Visible>("Visible", TPropKind::Enumeration, BooleanNames())),
        EventProp<&TForm::OnCreate>("OnCreate"),
        EventProp<&TForm::OnMouseDown, &TForm::SetOnMouseDown>("OnMouseDown"),
        EventProp<&TForm::OnPaint>("OnPaint"),
        OrdProp<&TForm::PixelsPerInch, &TForm::SetPixelsPerInch>("PixelsPerInch"),
    };
    static const TClassInfo info{.name = "TForm", .parent = &TComponent::StaticClass(), .props = props};
    return info;
}

TForm::TForm(TComponent* owner)
    : TComponent(owner), font_(std::make_unique<TFont>()), icon_(std::make_unique<TIcon>()), app_(Application()) {
    if (TApplication* app = app_) {
        canvas_.SetTarget(app->Platform().Screen());
        app->AddForm(this);
    }
}

TForm::~TForm() {
    // Components go first, while the window they may refer to still exists.
    while (ComponentCount() > 0) delete Components(ComponentCount() - 1);
    if (TApplication* app = app_) app->RemoveForm(this);
}

void TForm::SetCaption(std::string_view caption) {
    caption_ = std::string(caption);
    if (created_)
        if (TApplication* app = app_) app->Platform().SetCaption(ShiftJisToUtf8(caption_));
}

void TForm::SetClientWidth(int64_t v) {
    clientWidth_ = static_cast<int>(v);
    if (!(ComponentState() & csLoading)) ApplyClientSize();
}

void TForm::SetClientHeight(int64_t v) {
    clientHeight_ = static_cast<int>(v);
    if (!(ComponentState() & csLoading)) ApplyClientSize();
}

// Applying the client size creates the native window, with the frame and
// caption read so far.
void TForm::ApplyClientSize() {
    if (!created_) HandleNeeded();
}

void TForm::Loaded() {
    TComponent::Loaded();
    ApplyClientSize();
}

void TForm::DefineProperties(TFiler& filer) {
    TComponent::DefineProperties(filer);
    filer.DefineProperty(
        "TextHeight", [this](TValueReader& r) { textHeight_ = static_cast<int32_t>(r.ReadInteger()); },
        [this](TValueWriter& w) { w.WriteInteger(textHeight_); }, true);
}

void TForm::HandleNeeded() {
    if (created_) return;
    TApplication* app = app_;
    if (!app) return;
    // (A larger window would be larger than any screen, and its screen
    // surface might not fit in memory.)
    if (clientWidth_ < 0 || clientHeight_ < 0 || clientWidth_ > kMaxClientSide || clientHeight_ > kMaxClientSide)
        throw EOutOfResources(msg::CannotCreateWindow);
    platform::WindowSpec spec{.left = left_,
                              .top = top_,
                              .clientWidth = clientWidth_,
                              .clientHeight = clientHeight_,
                              .captionUtf8 = ShiftJisToUtf8(caption_),
                              .fixedFrame = borderStyle_ != bsSizeable && borderStyle_ != bsSizeToolWin,
                              .className = std::string(ClassName())};
    if (!app->Platform().OpenWindow(spec)) throw EOutOfResources(msg::CannotCreateWindow);
    created_ = true;
    canvas_.SetTarget(app->Platform().Screen());
    canvas_.SetDisplayBitsPerPixel(app->Platform().DisplayBitsPerPixel());
    ApplyIcon();
}

void TForm::ApplyIcon() {
    if (!created_ || !app_ || !icon_ || icon_->Empty()) return;
    int w = 0, h = 0;
    const std::vector<uint32_t> argb = icon_->ToArgb(32, w, h);
    if (!argb.empty()) app_->Platform().SetIcon(platform::IconImage{w, h, argb});
}

void TForm::Show(platform::ShowState state) {
    HandleNeeded();
    visible_ = true;
    minimized_ = state == platform::ShowState::Minimized;
    if (TApplication* app = app_) app->Platform().Show(state);
    Invalidate();
}

void TForm::Invalidate(const TRect& area, bool erase) {
    const TRect r = area.Intersect(ClientRect());
    if (r.Empty()) return;
    invalid_.Add(r);
    eraseInvalid_ = eraseInvalid_ || erase;
}

void TForm::InsertControl(TControl* c) { controls_.push_back(c); }

void TForm::RemoveControl(TControl* c) {
    controls_.erase(std::remove(controls_.begin(), controls_.end(), c), controls_.end());
    if (captureControl_ == c) captureControl_ = nullptr;
}

void TForm::PaintNow() {
    // Take the invalid area first, so a failing handler cannot make every
    // later repaint fail again.
    TRegion area;
    std::swap(area, invalid_);
    const bool erase = eraseInvalid_;
    eraseInvalid_ = false;
    if (area.Empty() || minimized_) return;

    canvas_.Brush.Color = color_;
    canvas_.Brush.Style = TBrushStyle::bsSolid;
    canvas_.SetClip(area.Rects());
    if (erase) canvas_.FillRect(area.Bounds());

    TRegion rest = area;
    for (TControl* c : controls_)
        if (c->Visible() && c->Opaque()) rest.Subtract(c->BoundsRect());
    if (!rest.Empty()) {
        canvas_.SetClip(rest.Rects());
        try {
            OnPaint(this);
        } catch (...) {
            canvas_.ResetClip();
            throw;
        }
    }
    for (TControl* c : controls_) {
        if (!c->Visible() || !area.Intersects(c->BoundsRect())) continue;
        TRegion part = area;
        part.IntersectWith(c->BoundsRect());
        canvas_.SetClip(part.Rects());
        try {
            c->Paint(canvas_);
        } catch (...) {
            canvas_.ResetClip();
            throw;
        }
    }
    canvas_.ResetClip();
}

TControl* TForm::ControlAt(int x, int y) const {
    // Last created first: the later control lies on top.
    for (auto it = controls_.rbegin(); it != controls_.rend(); ++it) {
        TControl* c = *it;
        if (c->Visible() && c->Enabled() && c->BoundsRect().Contains(x, y)) return c;
    }
    return nullptr;
}

TMouseButton TForm::ToButton(platform::Button b) {
    switch (b) {
        case platform::Button::Right: return TMouseButton::mbRight;
        case platform::Button::Middle: return TMouseButton::mbMiddle;
        default: return TMouseButton::mbLeft;
    }
}

void TForm::HandleInput(const platform::RawEvent& e, uint32_t tick) {
    using platform::EventType;
    switch (e.type) {
        case EventType::ButtonDown: RouteButton(e, true, tick); break;
        case EventType::ButtonUp: RouteButton(e, false, tick); break;
        case EventType::PointerMove: break;  // no control or handler of this model follows the pointer
        case EventType::Expose: Invalidate(TRect{e.area.left, e.area.top, e.area.right, e.area.bottom}, true); break;
        case EventType::Minimize: minimized_ = true; break;
        case EventType::Restore:
            minimized_ = false;
            Invalidate();
            break;
        case EventType::CloseRequest:
            // Nothing is asked of the user; closing the main window quits.
            if (TApplication* app = app_; app && app->MainForm() == this) app->PostQuit();
            break;
    }
}

// The second press of the same button within the platform's double-click
// time and distance is a double click; the press after it is plain again.
bool TForm::TakeDoubleClick(const platform::RawEvent& e, uint32_t tick) {
    const uint32_t dblTime = app_ ? app_->Platform().DoubleClickTime() : 500;
    const int dist = app_ ? app_->Platform().DoubleClickDistance() : 4;
    const bool dbl = lastDownValid_ && e.button == lastDownButton_ && tick - lastDownTick_ <= dblTime &&
                     std::abs(e.x - lastDownX_) <= dist && std::abs(e.y - lastDownY_) <= dist;
    lastDownValid_ = !dbl;
    lastDownTick_ = tick;
    lastDownX_ = e.x;
    lastDownY_ = e.y;
    lastDownButton_ = e.button;
    return dbl;
}

void TForm::RouteButton(const platform::RawEvent& e, bool down, uint32_t tick) {
    static_assert(uint32_t{ssShift} == platform::kShift && uint32_t{ssAlt} == platform::kAlt &&
                      uint32_t{ssCtrl} == platform::kCtrl,
                  "modifier flags pass through unchanged");
    const TMouseButton button = ToButton(e.button);
    const uint32_t flag = button == TMouseButton::mbLeft ? ssLeft : button == TMouseButton::mbRight ? ssRight : ssMiddle;
    const bool dbl = down && TakeDoubleClick(e, tick);
    if (down) buttonsHeld_ |= flag;
    else buttonsHeld_ &= ~flag;
    const TShiftState shift = e.modifiers | buttonsHeld_ | (dbl ? ssDouble : 0u);

    // While the capture is held there is no search; otherwise the topmost
    // picture under the pointer takes the event, or else the window.
    TControl* target = nullptr;
    bool toWindow = false;
    if (captureControl_) target = captureControl_;
    else if (captureWindow_) toWindow = true;
    else if (!(target = ControlAt(e.x, e.y))) toWindow = true;

    // A left press takes the capture, the left release gives it up.
    if (button == TMouseButton::mbLeft) {
        if (down && !captureControl_ && !captureWindow_) {
            captureControl_ = target;
            captureWindow_ = toWindow;
            if (app_) app_->Platform().SetCapture(true);
        } else if (!down) {
            captureControl_ = nullptr;
            captureWindow_ = false;
            if (app_) app_->Platform().SetCapture(false);
        }
    }

    if (target) {
        if (down) target->MouseDown(button, dbl);
        else target->MouseUp(button, Relative(e.x, target->Left()), Relative(e.y, target->Top()));
    } else if (toWindow && down) {
        // The press handler gets the platform event's signed 16-bit coordinates.
        OnMouseDown(this, button, shift, static_cast<int16_t>(e.x), static_cast<int16_t>(e.y));
    }
}

}  // namespace skr
