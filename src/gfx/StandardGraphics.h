// Registers the image kinds a picture payload may name: "TBitmap", "TIcon"
// and "TJPEGImage". Called once at start-up; a registration from a static
// initialiser would be dropped by the linker when nothing else in its object
// file is referenced.
#pragma once

namespace skr {

void RegisterStandardGraphics();

}  // namespace skr
