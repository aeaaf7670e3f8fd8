// The value tags of a form definition stream and a bounds-checked cursor
// over its bytes. The reader, the dump and the fuzz target all decode
// through TTagCursor, so every length in the stream is checked against what
// remains before anything is taken for it.
#pragma once

#include <cstddef>
#include <cstdint>
#include <span>
#include <string>
#include <string_view>

namespace skr {

enum class TValueType : uint8_t {
    vaNull = 0,
    vaList = 1,
    vaInt8 = 2,
    vaInt16 = 3,
    vaInt32 = 4,
    vaExtended = 5,
    vaString = 6,
    vaIdent = 7,
    vaFalse = 8,
    vaTrue = 9,
    vaBinary = 10,
    vaSet = 11,
    vaLString = 12,
    vaNil = 13,
    vaCollection = 14,
    vaSingle = 15,
    vaCurrency = 16,
    vaDate = 17,
    vaWString = 18,
    vaInt64 = 19,
};
inline constexpr uint8_t kLastValueType = 19;

// "Int8", "Binary", ...; "?" for a byte that is no tag.
std::string_view ValueTypeName(TValueType type) noexcept;

// Nested lists, collections and object records deeper than this are
// rejected, so a hostile stream ends in an error instead of a deep stack.
inline constexpr int kMaxNesting = 64;

// The 10-byte extended-precision real of the stream, to and from double.
double ExtendedToDouble(const uint8_t bytes[10]) noexcept;
void DoubleToExtended(double value, uint8_t bytes[10]) noexcept;


// A read-only cursor over stream bytes. Every read that would pass the end
// raises EReadError "ストリームからの読み込みエラー"; a byte that is no
// tag, or a tag where another was required, raises EReadError
// "不正なプロパティの値です".
class TTagCursor {
public:
    explicit TTagCursor(std::span<const uint8_t> bytes) noexcept : bytes_(bytes) {}

    size_t Position() const noexcept { return pos_; }
    size_t Remaining() const noexcept { return bytes_.size() - pos_; }

    uint8_t PeekByte() const;
    uint8_t U8();
    uint16_t U16();
    uint32_t U32();
    uint64_t U64();
    // n bytes as a view into the stream; fails before taking anything when
    // fewer remain.
    std::span<const uint8_t> Take(size_t n);
    std::string_view ShortString();

    TValueType ReadValue();
    TValueType NextValue() const;

    // Payload readers for a tag already read.
    int64_t IntegerOf(TValueType type, bool allowInt64);
    double FloatOf(TValueType type);
    std::string StringOf(TValueType type);      // String, LString, WString
    std::string_view IdentOf(TValueType type);  // Ident, False, True, Null, Nil

    int64_t ReadInteger(bool allowInt64 = false) { return IntegerOf(ReadValue(), allowInt64); }
    std::string_view ReadIdent() { return IdentOf(ReadValue()); }

    // Skips one whole value of any tag, nested lists included.
    void SkipValue(int depth = 0);
    // Skips property entries up to and including the 0 that ends them.
    void SkipProperties(int depth);

private:
    void Need(size_t n) const;

    std::span<const uint8_t> bytes_;
    size_t pos_ = 0;
};

[[noreturn]] void ThrowInvalidValue();

}  // namespace skr
