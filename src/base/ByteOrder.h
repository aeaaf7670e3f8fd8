// Little-endian values in byte buffers: the byte order of every format this
// program reads and writes (BMP, icon, WAVE, the form definition stream).
// Header-only, and usable from every room.
#pragma once

#include <cstdint>

namespace skr {

inline uint16_t LoadLE16(const uint8_t* p) { return static_cast<uint16_t>(p[0] | p[1] << 8); }
inline uint32_t LoadLE32(const uint8_t* p) {
    return uint32_t(p[0]) | uint32_t(p[1]) << 8 | uint32_t(p[2]) << 16 | uint32_t(p[3]) << 24;
}
inline uint64_t LoadLE64(const uint8_t* p) { return LoadLE32(p) | uint64_t(LoadLE32(p + 4)) << 32; }

inline void StoreLE16(uint8_t* p, uint16_t v) {
    p[0] = static_cast<uint8_t>(v);
    p[1] = static_cast<uint8_t>(v >> 8);
}
inline void StoreLE32(uint8_t* p, uint32_t v) {
    StoreLE16(p, static_cast<uint16_t>(v));
    StoreLE16(p + 2, static_cast<uint16_t>(v >> 16));
}
inline void StoreLE64(uint8_t* p, uint64_t v) {
    StoreLE32(p, static_cast<uint32_t>(v));
    StoreLE32(p + 4, static_cast<uint32_t>(v >> 32));
}

}  // namespace skr
