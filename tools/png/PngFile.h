// Writes pictures as PNG files through libpng, for the tools that make them
// (the simulator's snapshots, the desktop icons).
#pragma once

#include <cstdint>
#include <string>

namespace skr::tools {

// Writes width x height pixels 0xAARRGGBB (rows top-down) as an 8-bit RGB
// PNG, or RGBA when `alpha`. False, with a message on stderr, when the file
// cannot be written.
bool WritePng(const std::string& path, const uint32_t* pixels, int width, int height, bool alpha);

}  // namespace skr::tools
