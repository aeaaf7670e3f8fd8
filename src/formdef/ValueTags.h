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

#include "base/ByteCursor.h"

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

[[noreturn]] void ThrowReadError();     // EReadError "ストリームからの読み込みエラー"
[[noreturn]] void ThrowInvalidValue();  // EReadError "不正なプロパティの値です"

// A read-only cursor over stream bytes: the byte cursor whose short reads
// raise ThrowReadError, with the stream's tags and payloads on top. A byte
// that is no tag, or a tag where another was required, raises
// ThrowInvalidValue.
class TTagCursor : public ByteCursor<ThrowReadError> {
public:
    using ByteCursor::ByteCursor;

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
};

}  // namespace skr
