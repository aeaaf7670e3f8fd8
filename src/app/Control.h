// TControl: a windowless control placed on the window (the result pictures
// are the program's only ones). The window routes mouse events to it and
// lets it paint itself during a repaint.
#pragma once

#include "core/Component.h"
#include "base/Geometry.h"

namespace skr {

class TCanvas;
class TForm;

class TControl : public TComponent {
public:
    SKR_CLASS_INFO()

    explicit TControl(TComponent* owner);
    ~TControl() override;

    int64_t Left() const { return left_; }
    int64_t Top() const { return top_; }
    int64_t Width() const { return width_; }
    int64_t Height() const { return height_; }
    void SetLeft(int64_t v) { SetBounds(static_cast<int>(v), top_, width_, height_); }
    void SetTop(int64_t v) { SetBounds(left_, static_cast<int>(v), width_, height_); }
    void SetWidth(int64_t v) { SetBounds(left_, top_, static_cast<int>(v), height_); }
    void SetHeight(int64_t v) { SetBounds(left_, top_, width_, static_cast<int>(v)); }
    // New bounds of a visible control repaint its old rectangle (with the
    // fill) and its new one; the bounds it already has change nothing.
    void SetBounds(int left, int top, int width, int height);
    TRect BoundsRect() const noexcept { return Bounds(left_, top_, width_, height_); }

    bool Visible() const noexcept { return visible_; }
    int64_t VisibleOrd() const { return visible_; }
    void SetVisible(int64_t visible);
    bool Enabled() const noexcept { return enabled_; }
    int64_t EnabledOrd() const { return enabled_; }
    void SetEnabled(int64_t enabled) { enabled_ = enabled != 0; }

    void SetParent(TForm* parent);
    void SetParentComponent(TComponent* parent) override;

    // Whether the control covers its whole rectangle when it paints.
    virtual bool Opaque() const { return false; }
    // Paints at the control's place on the window's canvas (already clipped).
    virtual void Paint(TCanvas&) {}
    // A press on the control (`dbl`: the second press of a double click),
    // and the release, at the control's own coordinates.
    virtual void MouseDown(TMouseButton, bool /*dbl*/) {}
    virtual void MouseUp(TMouseButton, int /*x*/, int /*y*/) {}

protected:
    void InvalidateSelf(bool erase);

private:
    int left_ = 0, top_ = 0, width_ = 0, height_ = 0;
    bool visible_ = true;
    bool enabled_ = true;
    TForm* parent_ = nullptr;
};

}  // namespace skr
