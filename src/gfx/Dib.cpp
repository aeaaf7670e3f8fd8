#include "gfx/Dib.h"

#include "base/ByteOrder.h"
#include "core/Exception.h"
#include "core/Messages.h"

namespace skr {

DibHeader ReadDibHeader(const uint8_t* info, uint64_t size, const DibRules& rules) {
    auto invalid = [&] { throw EInvalidGraphic(rules.invalid); };
    auto truncated = [] { throw EReadError(msg::ReadError); };
    if (size < 4) truncated();
    const uint32_t headerSize = LoadLE32(info);
    const bool core = rules.coreHeader && headerSize == 12;
    if (core ? size < 12 : size < 40) truncated();
    if (!core && headerSize < 40) invalid();

    int64_t width, height;
    unsigned planes, bpp;
    uint32_t compression = 0, colorsUsed = 0;
    if (core) {
        width = LoadLE16(info + 4);
        height = static_cast<int16_t>(LoadLE16(info + 6));
        planes = LoadLE16(info + 8);
        bpp = LoadLE16(info + 10);
    } else {
        width = static_cast<int32_t>(LoadLE32(info + 4));
        height = static_cast<int32_t>(LoadLE32(info + 8));
        planes = LoadLE16(info + 12);
        bpp = LoadLE16(info + 14);
        compression = LoadLE32(info + 16);
        colorsUsed = LoadLE32(info + 32);
    }
    DibHeader h;
    if (rules.colourAndMask) {
        height /= 2;  // bottom-up always; a negative height is refused below
    } else if (height < 0) {
        h.topDown = true;
        height = -height;  // int64: no overflow for INT32_MIN
    }
    if (rules.planesOfOne && planes != 1) invalid();
    if (compression != 0) invalid();  // only uncompressed rows
    if (bpp != 1 && bpp != 4 && bpp != 8 && !(bpp == 16 && rules.sixteenBits) && bpp != 24 && bpp != 32) invalid();
    if (width <= 0 || height <= 0 || width > rules.maxSide || height > rules.maxSide) invalid();
    if (headerSize > size) truncated();

    h.width = static_cast<int>(width);
    h.height = static_cast<int>(height);
    h.bitsPerPixel = bpp;
    h.stride = (uint64_t(width) * bpp + 31) / 32 * 4;
    h.tableEnd = headerSize;
    if (bpp <= 8) {
        // The table must lie inside the bytes; entries past the depth's
        // count are never indexed.
        const uint64_t maxEntries = 1u << bpp;
        const uint64_t entries = colorsUsed ? colorsUsed : maxEntries;
        const uint64_t entrySize = core ? 3 : 4;
        if (headerSize + entries * entrySize > size) truncated();
        for (uint64_t i = 0; i < entries && i < maxEntries; ++i) {
            const uint8_t* e = info + headerSize + i * entrySize;
            h.palette[i] = uint32_t(e[2]) << 16 | uint32_t(e[1]) << 8 | e[0];
        }
        h.tableEnd += entries * entrySize;
    }
    return h;
}

void UnpackDibRow(const DibHeader& h, const uint8_t* in, uint32_t* px) noexcept {
    const int w = h.width;
    switch (h.bitsPerPixel) {
        case 1:
            for (int x = 0; x < w; ++x) px[x] = h.palette[(in[x >> 3] >> (7 - (x & 7))) & 1];
            break;
        case 4:
            for (int x = 0; x < w; ++x) px[x] = h.palette[(in[x >> 1] >> ((x & 1) ? 0 : 4)) & 0xF];
            break;
        case 8:
            for (int x = 0; x < w; ++x) px[x] = h.palette[in[x]];
            break;
        case 16:  // 5-5-5, the uncompressed 16-bit layout
            for (int x = 0; x < w; ++x) {
                const unsigned v = LoadLE16(in + 2 * x);
                const unsigned r = (v >> 10) & 31, g = (v >> 5) & 31, b = v & 31;
                px[x] = (r << 3 | r >> 2) << 16 | (g << 3 | g >> 2) << 8 | (b << 3 | b >> 2);
            }
            break;
        case 24:
            for (int x = 0; x < w; ++x) {
                const uint8_t* p = in + 3 * x;
                px[x] = uint32_t(p[2]) << 16 | uint32_t(p[1]) << 8 | p[0];
            }
            break;
        case 32:
            for (int x = 0; x < w; ++x) px[x] = LoadLE32(in + 4 * x);
            break;
        default: break;
    }
}

}  // namespace skr
