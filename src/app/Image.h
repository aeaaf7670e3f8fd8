// TImage: a picture control. Draws its picture at its top-left corner at the
// image's own size, clipped to the control; opaque when the image covers the
// control (worked out whenever the picture changes). A left press and a
// release inside it is a click.
#pragma once

#include <memory>

#include "app/Control.h"
#include "gfx/Picture.h"

namespace skr {

class TImage : public TControl {
public:
    SKR_CLASS_INFO()

    explicit TImage(TComponent* owner);

    TPicture* Picture() noexcept { return picture_.get(); }
    bool Opaque() const override { return opaque_; }
    void Paint(TCanvas& canvas) override;
    void MouseDown(TMouseButton button, bool dbl) override;
    void MouseUp(TMouseButton button, int x, int y) override;

    TNotifyEvent OnClick;

protected:
    virtual void Click() { OnClick(this); }

private:
    void PictureChanged();

    std::unique_ptr<TPicture> picture_;
    bool opaque_ = false;
    bool clicked_ = false;
};

}  // namespace skr
