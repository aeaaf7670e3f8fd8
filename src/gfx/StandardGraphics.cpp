#include "gfx/StandardGraphics.h"

#include <memory>

#include "gfx/Bitmap.h"
#include "gfx/Icon.h"
#include "gfx/JPEGImage.h"

namespace skr {

namespace {
template <class T>
std::unique_ptr<TGraphic> Make() {
    return std::make_unique<T>();
}
}  // namespace

void RegisterStandardGraphics() {
    RegisterGraphicKind("TBitmap", &Make<TBitmap>);
    RegisterGraphicKind("TIcon", &Make<TIcon>);
    RegisterGraphicKind("TJPEGImage", &Make<TJPEGImage>);
}

}  // namespace skr
