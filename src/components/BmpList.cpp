#include "components/BmpList.h"

#include <cstdint>

#include "components/Messages.h"
#include "core/Exception.h"

namespace skr {

const TClassInfo& TBitmapList::StaticClass() {
    static const TPropInfo props[] = {
        ObjProp<&TBitmapList::Bitmap>("Bitmap"),
        OrdProp<&TBitmapList::Height>("Height"),
        OrdProp<&TBitmapList::NumImages, &TBitmapList::SetNumImages>("NumImages"),
        OrdProp<&TBitmapList::Transparent, &TBitmapList::SetTransparent>("Transparent", TPropKind::Enumeration,
                                                                          BooleanNames()),
        OrdProp<&TBitmapList::Width, &TBitmapList::SetWidth>("Width"),
        EventProp<&TBitmapList::OnChange>("OnChange"),
    };
    static const TClassInfo info{.name = "TBitmapList",
                                 .parent = &TComponent::StaticClass(),
                                 .props = props,
                                 .create = [](TComponent* owner) -> TComponent* { return new TBitmapList(owner); }};
    return info;
}

TBitmapList::TBitmapList(TComponent* owner) : TComponent(owner), bitmap_(std::make_unique<TBitmap>()) {
    bitmap_->OnChange = [this](TObject*) { BitmapChanged(); };
}

TBitmapList::~TBitmapList() {
    bitmap_->OnChange = nullptr;
    bitmap_.reset();
}

void TBitmapList::SetBitmap(const TBitmap* b) { bitmap_->Assign(b); }

void TBitmapList::BitmapChanged() {
    numImages_ = 1;
    width_ = bitmap_->Empty() ? 0 : bitmap_->Width();
    if (OnChange) OnChange(this);
}

void TBitmapList::SetNumImages(int64_t n) {
    const int bw = bitmap_->Width();
    if (bitmap_->Empty() || n == numImages_ || n <= 0 || n > bw) return;
    numImages_ = static_cast<int32_t>(n);
    width_ = bw / numImages_;
}

void TBitmapList::SetWidth(int64_t w) {
    const int bw = bitmap_->Width();
    if (bitmap_->Empty() || w == width_ || w <= 0 || w > bw) return;
    width_ = static_cast<int32_t>(w);
    numImages_ = bw / width_;
}

void TBitmapList::Draw(TCanvas& canvas, int x, int y, int index) {
    if (bitmap_->Empty()) throw EInvalidOperation(msg::StripEmpty);
    if (index < 0 || index >= numImages_) throw EInvalidOperation(msg::StripInvalidIndex);
    const int h = bitmap_->Height();
    // A frame placed past the end of the coordinate range is off every canvas.
    if (x > INT32_MAX - width_ || y > INT32_MAX - h) return;
    const TRect src{index * width_, 0, (index + 1) * width_, h};
    const TRect dest{x, y, x + width_, y + h};
    if (transparent_) {
        canvas.Brush.Style = TBrushStyle::bsClear;
        canvas.TransparentCopy(dest, *bitmap_, src, bitmap_->KeyPixel());
    } else {
        canvas.CopyRect(dest, *bitmap_, src);
    }
}

}  // namespace skr
