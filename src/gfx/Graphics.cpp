#include "gfx/Graphics.h"

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
    RegisterGraphicKind("TBitmap", &Make<TBitmap>, "bmp");
    RegisterGraphicKind("TIcon", &Make<TIcon>, "ico");
    RegisterGraphicKind("TJPEGImage", &Make<TJPEGImage>, "jpeg;jpg");
}

}  // namespace skr
