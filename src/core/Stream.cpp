#include "core/Stream.h"

#include <algorithm>
#include <cstring>

#include "base/ByteOrder.h"
#include "core/Exception.h"
#include "core/Messages.h"

namespace skr {

void TStream::ReadBuffer(void* buffer, size_t n) {
    if (n != 0 && Read(buffer, n) != n) throw EReadError(msg::ReadError);
}

void TStream::WriteBuffer(const void* buffer, size_t n) {
    if (n != 0 && Write(buffer, n) != n) throw EWriteError(msg::WriteError);
}

uint8_t TStream::ReadU8() {
    uint8_t v;
    ReadBuffer(&v, 1);
    return v;
}

uint16_t TStream::ReadU16() {
    uint8_t b[2];
    ReadBuffer(b, 2);
    return LoadLE16(b);
}

uint32_t TStream::ReadU32() {
    uint8_t b[4];
    ReadBuffer(b, 4);
    return LoadLE32(b);
}

void TStream::WriteU32(uint32_t v) {
    uint8_t b[4];
    StoreLE32(b, v);
    WriteBuffer(b, 4);
}

size_t TMemoryStream::Read(void* buffer, size_t n) {
    const size_t k = std::min(n, bytes_.size() - pos_);
    if (k) std::memcpy(buffer, bytes_.data() + pos_, k);
    pos_ += k;
    return k;
}

size_t TMemoryStream::Write(const void* buffer, size_t n) {
    if (n == 0) return 0;
    if (pos_ + n > bytes_.size()) bytes_.resize(pos_ + n);
    std::memcpy(bytes_.data() + pos_, buffer, n);
    pos_ += n;
    return n;
}

size_t TSpanStream::Read(void* buffer, size_t n) {
    const size_t k = std::min(n, bytes_.size() - pos_);
    if (k) std::memcpy(buffer, bytes_.data() + pos_, k);
    pos_ += k;
    return k;
}

}  // namespace skr
