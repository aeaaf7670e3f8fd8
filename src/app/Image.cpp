#include "app/Image.h"

#include "gfx/Canvas.h"

namespace skr {

const TClassInfo& TImage::StaticClass() {
    static const TPropInfo props[] = {
        WithDefault(OrdProp<&TImage::EnabledOrd, &TImage::SetEnabled>("Enabled", TPropKind::Enumeration, BooleanNames()), 1),
        ObjProp<&TImage::Picture>("Picture"),
        WithDefault(OrdProp<&TImage::VisibleOrd, &TImage::SetVisible>("Visible", TPropKind::Enumeration, BooleanNames()), 1),
        EventProp<&TImage::OnClick>("OnClick"),
    };
    static const TClassInfo info{.name = "TImage", .parent = &TControl::StaticClass(), .props = props,
                                 .create = [](TComponent* owner) -> TComponent* { return new TImage(owner); }};
    return info;
}

TImage::TImage(TComponent* owner) : TControl(owner), picture_(std::make_unique<TPicture>()) {
    picture_->OnChange = [this](TObject*) { PictureChanged(); };
    SetBounds(0, 0, 105, 105);
}

void TImage::PictureChanged() {
    // The opaque flag follows the picture, not later changes of the bounds.
    opaque_ = picture_->Graphic() && picture_->Width() >= Width() && picture_->Height() >= Height();
    if (Visible()) InvalidateSelf(!opaque_);
}

void TImage::Paint(TCanvas& canvas) {
    if (TGraphic* g = picture_->Graphic(); g && !g->Empty())
        g->Draw(canvas, BoundsRect().Intersect(Bounds(static_cast<int>(Left()), static_cast<int>(Top()), g->Width(), g->Height())));
}

void TImage::MouseDown(TMouseButton button, bool dbl) {
    if (button == TMouseButton::mbLeft && !dbl) clicked_ = true;
}

void TImage::MouseUp(TMouseButton button, int x, int y) {
    if (button != TMouseButton::mbLeft || !clicked_) return;
    clicked_ = false;
    if (x >= 0 && y >= 0 && x < Width() && y < Height()) Click();
}

}  // namespace skr
