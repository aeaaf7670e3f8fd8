// One read position over a span of bytes: the single home of bounds-checked
// little-endian reading. Every read is checked against what remains before
// anything is taken, so no read passes the end of the span.
//
// What a short read does is the caller's, given as `Short`: a function that
// is called before the read takes anything. It may raise the caller's own
// error (the form definition reader raises its read error); if it returns,
// the read takes nothing and yields 0, or an empty span. The default does
// nothing, so short reads quietly yield 0.
// Header-only, allocation-free, usable from every room.
#pragma once

#include <cstddef>
#include <cstdint>
#include <span>

#include "base/ByteOrder.h"

namespace skr {

inline void ShortReadYieldsZero() {}

template <void (*Short)() = ShortReadYieldsZero>
class ByteCursor {
public:
    constexpr explicit ByteCursor(std::span<const uint8_t> bytes) noexcept : bytes_(bytes) {}

    constexpr size_t Position() const noexcept { return pos_; }
    constexpr size_t Remaining() const noexcept { return bytes_.size() - pos_; }
    constexpr bool Has(size_t n) const noexcept { return n <= Remaining(); }

    uint8_t PeekByte() const { return Need(1) ? bytes_[pos_] : 0; }
    uint8_t U8() { return Need(1) ? bytes_[pos_++] : 0; }
    uint16_t U16() { return Get<uint16_t, LoadLE16>(); }
    uint32_t U32() { return Get<uint32_t, LoadLE32>(); }
    uint64_t U64() { return Get<uint64_t, LoadLE64>(); }
    // n bytes as a view into the span.
    std::span<const uint8_t> Take(size_t n) {
        if (!Need(n)) return {};
        const auto s = bytes_.subspan(pos_, n);
        pos_ += n;
        return s;
    }

private:
    bool Need(size_t n) const {
        if (Has(n)) return true;
        Short();
        return false;
    }
    template <class T, T (*Load)(const uint8_t*)>
    T Get() {
        if (!Need(sizeof(T))) return 0;
        const T v = Load(bytes_.data() + pos_);
        pos_ += sizeof(T);
        return v;
    }

    std::span<const uint8_t> bytes_;
    size_t pos_ = 0;
};

}  // namespace skr
