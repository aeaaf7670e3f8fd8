// TGraphic: one image kind a picture can hold (bitmap, icon, JPEG).
#pragma once

#include <functional>
#include <memory>
#include <string_view>

#include "base/Geometry.h"
#include "core/Persistent.h"

namespace skr {

class TCanvas;
class TStream;

class TGraphic : public TPersistent {
public:
    SKR_CLASS_INFO()

    virtual bool Empty() const = 0;
    virtual int Width() const = 0;
    virtual int Height() const = 0;
    // Draws the image at its own size with its top-left corner at dest's;
    // dest bounds what is drawn.
    virtual void Draw(TCanvas& canvas, const TRect& dest) = 0;
    // The image kind's own data inside a picture payload (after the kind's
    // class name): reads/writes exactly that data.
    virtual void ReadData(TStream& stream) = 0;
    virtual void WriteData(TStream& stream) const = 0;

    // Called after every change of the image.
    std::function<void(TObject*)> OnChange;

protected:
    void Changed() { if (OnChange) OnChange(this); }
};

// The image kinds a picture payload may name, by exact (case-sensitive)
// class name. RegisterStandardGraphics registers "TBitmap", "TIcon" and
// "TJPEGImage".
using TGraphicFactory = std::unique_ptr<TGraphic> (*)();
void RegisterGraphicKind(std::string_view className, TGraphicFactory factory);
TGraphicFactory FindGraphicKind(std::string_view className) noexcept;

}  // namespace skr
