// BMP file decoding and encoding for TBitmap.
#include "core/Exception.h"
#include "core/Stream.h"
#include "gfx/Bitmap.h"

namespace skr {

void TBitmap::LoadFromStream(TStream&) { throw EInvalidGraphic("ビットマップイメージが不正です"); }
void TBitmap::SaveToStream(TStream&) const {}

}  // namespace skr
