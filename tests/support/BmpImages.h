// Pieces of BMP and icon files built in memory for the tests: the 40-byte
// information header and pixel packing for rows of 1, 4, 8, 24 and 32 bits
// (with the little-endian stores of LittleEndian.h).
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

#include "base/ByteOrder.h"
#include "LittleEndian.h"

namespace skr::test {

// Bytes in a row of `width` pixels of `bpp` bits, padded to 4 bytes.
inline size_t DibStride(int width, int bpp) { return (static_cast<size_t>(width) * bpp + 31) / 32 * 4; }

// The 40-byte information header at `at`: size, width, height, one plane
// and the bit count; everything after it is left as it is.
inline void PutInfoHeader(std::vector<uint8_t>& b, size_t at, int width, int height, int bpp) {
    Put32At(b, at, 40);
    Put32At(b, at + 4, static_cast<uint32_t>(width));
    Put32At(b, at + 8, static_cast<uint32_t>(height));
    Put16At(b, at + 12, 1);
    Put16At(b, at + 14, static_cast<uint32_t>(bpp));
}

// ORs pixel x of value v (a palette index for bpp <= 8, else the colour)
// into a zeroed row.
inline void PackPixel(uint8_t* row, int x, int bpp, uint32_t v) {
    switch (bpp) {
        case 1: row[x / 8] |= uint8_t((v & 1) << (7 - x % 8)); break;
        case 4: row[x / 2] |= uint8_t((v & 15) << (x % 2 ? 0 : 4)); break;
        case 8: row[x] = uint8_t(v); break;
        case 24: row[3 * x] = uint8_t(v), row[3 * x + 1] = uint8_t(v >> 8), row[3 * x + 2] = uint8_t(v >> 16); break;
        case 32: StoreLE32(row + 4 * x, v); break;
    }
}

}  // namespace skr::test
