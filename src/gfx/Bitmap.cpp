#include "gfx/Bitmap.h"

#include "core/Exception.h"
#include "core/Filer.h"
#include "core/Messages.h"
#include "core/Stream.h"

namespace skr {

const TClassInfo& TBitmap::StaticClass() {
    static const TClassInfo info{.name = "TBitmap", .parent = &TGraphic::StaticClass()};
    return info;
}

void TBitmap::Draw(TCanvas& canvas, const TRect& dest) {
    canvas.CopyRect(dest, *this, TRect{0, 0, width_, height_});
}

void TBitmap::SetSize(int width, int height) {
    if (width < 0 || height < 0) width = height = 0;
    width_ = width;
    height_ = height;
    pixels_.assign(static_cast<size_t>(width) * height, 0);
    file_.clear();
    monochrome_ = false;
    Changed();
}

void TBitmap::Modified() {
    file_.clear();
    Changed();
}

uint32_t TBitmap::KeyPixel() const noexcept {
    if (fixedKey_) return *fixedKey_;
    if (monochrome_) return 0xFFFFFF;
    if (Empty()) return 0;
    return Scanline(height_ - 1)[0];
}

void TBitmap::ReadData(TStream& stream) {
    const uint32_t n = stream.ReadU32();
    if (n == 0) {
        width_ = height_ = 0;
        pixels_.clear();
        file_.clear();
        monochrome_ = false;
        Changed();
        return;
    }
    if (n > stream.Remaining()) throw EReadError(msg::ReadError);
    std::vector<uint8_t> bytes(n);
    stream.ReadBuffer(bytes.data(), n);
    TMemoryStream s(std::move(bytes));
    LoadFromStream(s);
}

void TBitmap::WriteData(TStream& stream) const {
    TMemoryStream file;
    if (!Empty()) SaveToStream(file);
    stream.WriteU32(static_cast<uint32_t>(file.Size()));
    stream.WriteBuffer(file.Memory(), file.Size());
}

void TBitmap::Assign(const TPersistent* source) {
    if (!source) {
        width_ = height_ = 0;
        pixels_.clear();
        file_.clear();
        monochrome_ = false;
        fixedKey_.reset();
        Changed();
        return;
    }
    if (auto* b = dynamic_cast<const TBitmap*>(source)) {
        if (b == this) {  // nothing to copy, but the image counts as written
            Changed();
            return;
        }
        width_ = b->width_;
        height_ = b->height_;
        monochrome_ = b->monochrome_;
        fixedKey_ = b->fixedKey_;
        pixels_ = b->pixels_;
        file_ = b->file_;
        Changed();
        return;
    }
    TGraphic::Assign(source);
}

void TBitmap::DefineProperties(TFiler& filer) {
    TGraphic::DefineProperties(filer);
    filer.DefineBinaryProperty(
        "Data", [this](TStream& s) { ReadData(s); }, [this](TStream& s) { WriteData(s); }, !Empty());
}

}  // namespace skr
