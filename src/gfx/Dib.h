// Device-independent bitmaps, as BMP files and icon images hold them: an
// information header (the 12-byte core one, or one of 40 bytes or more), the
// colour table right after it, and rows of palette indices or colours, each
// padded to 4 bytes. The BMP codec and the icon both read their images with
// this; each says by its rules what it accepts.
#pragma once

#include <array>
#include <cstdint>

namespace skr {

struct DibRules {
    const char* invalid;  // the message of the EInvalidGraphic for what is refused
    int64_t maxSide;      // the largest width and height accepted
    bool coreHeader;      // the 12-byte header (3-byte colour entries) is accepted
    bool sixteenBits;     // 5-5-5 rows are accepted
    bool planesOfOne;     // the planes field must say 1
    bool colourAndMask;   // the height counts a colour image and its mask (icons)
};

struct DibHeader {
    int width = 0;
    int height = 0;  // of the colour image
    unsigned bitsPerPixel = 0;
    bool topDown = false;
    uint64_t stride = 0;    // bytes a row
    uint64_t tableEnd = 0;  // where the colour table ends, from the header's start
    std::array<uint32_t, 256> palette{};  // 0x00RRGGBB
};

// Reads the header and the colour table from `size` bytes at `info`. A
// header it refuses raises EInvalidGraphic(rules.invalid); bytes that end
// too soon raise EReadError. Nothing is read outside the bytes given.
DibHeader ReadDibHeader(const uint8_t* info, uint64_t size, const DibRules& rules);

// Turns one row (header.stride bytes) into header.width colours, 0x00RRGGBB;
// a 32-bit row keeps its fourth byte (an icon's alpha) in the top byte.
void UnpackDibRow(const DibHeader& header, const uint8_t* row, uint32_t* out) noexcept;

}  // namespace skr
