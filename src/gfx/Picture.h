// TPicture: holds one graphic of a registered kind. Its stream property
// "Data" is the kind's class name (short string) then the kind's own data.
// Reports every change to its owner (the picture control).
#pragma once

#include <functional>
#include <memory>

#include "gfx/Graphic.h"

namespace skr {

class TPicture : public TPersistent {
public:
    SKR_CLASS_INFO()

    TGraphic* Graphic() const noexcept { return graphic_.get(); }
    void SetGraphic(std::unique_ptr<TGraphic> graphic);
    int Width() const { return graphic_ ? graphic_->Width() : 0; }
    int Height() const { return graphic_ ? graphic_->Height() : 0; }

    // The payload of "Picture.Data": reading an unregistered kind's name
    // leaves the picture empty, without error.
    void ReadData(TStream& stream);
    void WriteData(TStream& stream) const;

    void Assign(const TPersistent* source) override;
    void DefineProperties(TFiler& filer) override;

    std::function<void(TObject*)> OnChange;

private:
    void Changed() { if (OnChange) OnChange(this); }
    std::unique_ptr<TGraphic> graphic_;
};

}  // namespace skr
