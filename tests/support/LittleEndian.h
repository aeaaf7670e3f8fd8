// Little-endian values in the tests' byte vectors (the image and stream
// builders), stored through the program's ByteOrder.h: appended at the end,
// or over the bytes at an offset.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

#include "base/ByteOrder.h"

namespace skr::test {

// (Appended a byte at a time: GCC 12 reports a resize or a range insert
// followed by an insert of a list as out of bounds in optimised builds.)
inline void Put16(std::vector<uint8_t>& b, uint16_t v) {
    uint8_t le[2];
    StoreLE16(le, v);
    for (uint8_t x : le) b.push_back(x);
}
inline void Put32(std::vector<uint8_t>& b, uint32_t v) {
    uint8_t le[4];
    StoreLE32(le, v);
    for (uint8_t x : le) b.push_back(x);
}
inline void Put16At(std::vector<uint8_t>& b, size_t at, uint32_t v) { StoreLE16(b.data() + at, static_cast<uint16_t>(v)); }
inline void Put32At(std::vector<uint8_t>& b, size_t at, uint32_t v) { StoreLE32(b.data() + at, v); }

}  // namespace skr::test
