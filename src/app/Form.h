// TForm: the program's window. Keeps the window's properties, its canvas on
// the client-area screen, the invalid area, mouse routing to its picture
// controls (capture, double clicks) and the repaint pipeline.
#pragma once

#include <memory>
#include <string>
#include <vector>

#include "gfx/Region.h"
#include "core/Component.h"
#include "gfx/Canvas.h"
#include "gfx/Color.h"
#include "gfx/Font.h"
#include "platform/Platform.h"

namespace skr {

class TApplication;
class TControl;
class TIcon;

enum TBorderIcon { biSystemMenu, biMinimize, biMaximize, biHelp };
enum TFormBorderStyle { bsNone, bsSingle, bsSizeable, bsDialog, bsToolWindow, bsSizeToolWin };

class TForm : public TComponent {
public:
    SKR_CLASS_INFO()

    explicit TForm(TComponent* owner);
    ~TForm() override;

    // Properties.
    int64_t Left() const { return left_; }
    void SetLeft(int64_t v) { left_ = static_cast<int>(v); }
    int64_t Top() const { return top_; }
    void SetTop(int64_t v) { top_ = static_cast<int>(v); }
    int64_t BorderIcons() const { return borderIcons_; }
    void SetBorderIcons(int64_t v) { borderIcons_ = static_cast<uint32_t>(v) & 0xF; }
    int64_t BorderStyle() const { return borderStyle_; }
    void SetBorderStyle(int64_t v) { if (v >= bsNone && v <= bsSizeToolWin) borderStyle_ = static_cast<int>(v); }
    const std::string& Caption() const { return caption_; }  // Shift-JIS bytes
    void SetCaption(std::string_view caption);
    int64_t ClientWidth() const { return clientWidth_; }
    void SetClientWidth(int64_t v);
    int64_t ClientHeight() const { return clientHeight_; }
    void SetClientHeight(int64_t v);
    int64_t Color() const { return color_; }
    void SetColor(int64_t v) { color_ = static_cast<TColor>(v); }
    TFont* Font() { return font_.get(); }
    TIcon* Icon() { return icon_.get(); }
    // Shows the icon on the native window, once that exists (the window
    // does so itself when it is made).
    void ApplyIcon();
    int64_t OldCreateOrder() const { return oldCreateOrder_; }
    void SetOldCreateOrder(int64_t v) { oldCreateOrder_ = v != 0; }
    int64_t Scaled() const { return scaled_; }
    void SetScaled(int64_t v) { scaled_ = v != 0; }
    int64_t PixelsPerInch() const { return pixelsPerInch_; }
    // Taken only while scaling is on; the window never scales otherwise.
    void SetPixelsPerInch(int64_t v) { if (scaled_ && v > 0) pixelsPerInch_ = static_cast<int>(v); }
    int64_t Visible() const { return visible_; }
    void SetTextHeight(int32_t h) noexcept { textHeight_ = h; }

    TNotifyEvent OnCreate;
    TMouseEvent OnMouseDown;
    TNotifyEvent OnPaint;

    // Drawing: the canvas draws straight onto the client-area screen.
    TCanvas& Canvas() noexcept { return canvas_; }
    void Invalidate(const TRect& area, bool erase);
    void Invalidate() { Invalidate(ClientRect(), true); }
    TRect ClientRect() const noexcept { return {0, 0, clientWidth_, clientHeight_}; }
    // The largest client area a window is made with, in each direction.
    static constexpr int kMaxClientSide = 4096;
    bool PaintPending() const noexcept { return !invalid_.Empty(); }
    // The repaint: fill, cut out opaque pictures, OnPaint, pictures.
    void PaintNow();

    // Native window.
    void HandleNeeded();  // creates the native window; raises when it cannot
    void Show(platform::ShowState state);

    // Raw input routed by the application.
    void HandleInput(const platform::RawEvent& e, uint32_t tick);

    // Picture controls, in creation order.
    const std::vector<TControl*>& Controls() const noexcept { return controls_; }
    void InsertControl(TControl* c);
    void RemoveControl(TControl* c);

    void Loaded() override;
    void DefineProperties(TFiler& filer) override;

    // Runs OnCreate (the shell calls it once construction has completed).
    void DoCreate() { OnCreate(this); }

private:
    void SetOnMouseDown(TMouseEvent e) { OnMouseDown = std::move(e); }
    TControl* ControlAt(int x, int y) const;
    void ApplyClientSize();
    void RouteButton(const platform::RawEvent& e, bool down, uint32_t tick);
    bool TakeDoubleClick(const platform::RawEvent& e, uint32_t tick);
    static TMouseButton ToButton(platform::Button b);

    int left_ = 0, top_ = 0;
    uint32_t borderIcons_ = 1u << biSystemMenu | 1u << biMinimize | 1u << biMaximize;
    int borderStyle_ = bsSizeable;
    std::string caption_;
    int clientWidth_ = 312, clientHeight_ = 213;  // a 320 x 240 frame's client
    TColor color_ = clBtnFace;
    std::unique_ptr<TFont> font_;
    std::unique_ptr<TIcon> icon_;
    bool oldCreateOrder_ = true;
    bool scaled_ = true;
    int pixelsPerInch_ = 96;
    int textHeight_ = 13;
    bool visible_ = false;

    TApplication* app_;  // the application that runs the window
    TCanvas canvas_;
    TRegion invalid_;
    bool eraseInvalid_ = false;
    bool created_ = false;
    bool minimized_ = false;
    std::vector<TControl*> controls_;

    // Mouse state.
    TControl* captureControl_ = nullptr;
    bool captureWindow_ = false;
    uint32_t buttonsHeld_ = 0;
    bool lastDownValid_ = false;
    uint32_t lastDownTick_ = 0;
    int lastDownX_ = 0, lastDownY_ = 0;
    platform::Button lastDownButton_ = platform::Button::Left;
};

}  // namespace skr
