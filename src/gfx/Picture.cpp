#include "gfx/Picture.h"

#include <string>

#include "core/Filer.h"
#include "core/Stream.h"

namespace skr {

const TClassInfo& TPicture::StaticClass() {
    static const TClassInfo info{.name = "TPicture", .parent = &TPersistent::StaticClass()};
    return info;
}

void TPicture::SetGraphic(std::unique_ptr<TGraphic> graphic) {
    graphic_ = std::move(graphic);
    if (graphic_) graphic_->OnChange = [this](TObject*) { Changed(); };
    Changed();
}

void TPicture::ReadData(TStream& stream) {
    const uint8_t len = stream.ReadU8();
    std::string name(len, '\0');
    stream.ReadBuffer(name.data(), len);
    std::unique_ptr<TGraphic> g;
    if (TGraphicFactory make = FindGraphicKind(name)) {
        g = make();
        g->ReadData(stream);
    } else {
        stream.SetPosition(stream.Size());  // the rest is ignored
    }
    SetGraphic(std::move(g));
}

void TPicture::WriteData(TStream& stream) const {
    const std::string_view name = graphic_ ? graphic_->ClassName() : std::string_view{};
    const uint8_t len = static_cast<uint8_t>(name.size());
    stream.WriteBuffer(&len, 1);
    stream.WriteBuffer(name.data(), name.size());
    if (graphic_) graphic_->WriteData(stream);
}

void TPicture::Assign(const TPersistent* source) {
    if (!source) { SetGraphic(nullptr); return; }
    if (auto* p = dynamic_cast<const TPicture*>(source)) {
        if (!p->graphic_) { SetGraphic(nullptr); return; }
        TMemoryStream copy;
        p->WriteData(copy);
        copy.SetPosition(0);
        ReadData(copy);
        return;
    }
    TPersistent::Assign(source);
}

void TPicture::DefineProperties(TFiler& filer) {
    TPersistent::DefineProperties(filer);
    filer.DefineBinaryProperty(
        "Data", [this](TStream& s) { ReadData(s); }, [this](TStream& s) { WriteData(s); },
        graphic_ != nullptr && !graphic_->Empty());
}

}  // namespace skr
