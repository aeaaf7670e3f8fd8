#include "app/Control.h"

#include <algorithm>

#include "app/Form.h"

namespace skr {

const TClassInfo& TControl::StaticClass() {
    static const TPropInfo props[] = {
        OrdProp<&TControl::Left, &TControl::SetLeft>("Left"),
        OrdProp<&TControl::Top, &TControl::SetTop>("Top"),
        OrdProp<&TControl::Width, &TControl::SetWidth>("Width"),
        OrdProp<&TControl::Height, &TControl::SetHeight>("Height"),
    };
    static const TClassInfo info{.name = "TControl", .parent = &TComponent::StaticClass(), .props = props};
    return info;
}

TControl::TControl(TComponent* owner) : TComponent(owner) {}

TControl::~TControl() { SetParent(nullptr); }

void TControl::SetParent(TForm* parent) {
    if (parent == parent_) return;
    if (parent_) {
        if (visible_) InvalidateSelf(true);
        parent_->RemoveControl(this);
    }
    parent_ = parent;
    if (parent_) {
        parent_->InsertControl(this);
        if (visible_) InvalidateSelf(!Opaque());
    }
}

void TControl::SetParentComponent(TComponent* parent) { SetParent(dynamic_cast<TForm*>(parent)); }

void TControl::InvalidateSelf(bool erase) {
    if (parent_) parent_->Invalidate(BoundsRect(), erase);
}

void TControl::SetBounds(int left, int top, int width, int height) {
    if (left == left_ && top == top_ && width == width_ && height == height_) return;
    if (visible_) InvalidateSelf(true);
    left_ = left;
    top_ = top;
    width_ = std::max(width, 0);
    height_ = std::max(height, 0);
    if (visible_) InvalidateSelf(!Opaque());
}

void TControl::SetVisible(int64_t visible) {
    const bool v = visible != 0;
    if (v == visible_) return;
    visible_ = v;
    // Showing an opaque control repaints its rectangle without the fill;
    // hiding one repaints it with the fill.
    InvalidateSelf(v ? !Opaque() : true);
}

}  // namespace skr
