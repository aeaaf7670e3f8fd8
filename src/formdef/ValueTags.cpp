#include "formdef/ValueTags.h"

#include <cmath>
#include <cstring>
#include <limits>

#include "base/ByteOrder.h"
#include "core/Exception.h"
#include "core/Messages.h"
#include "core/Text.h"
#include "formdef/Messages.h"

namespace skr {

namespace {
constexpr std::string_view kTagNames[] = {
    "Null", "List", "Int8", "Int16", "Int32", "Extended", "String", "Ident", "False", "True",
    "Binary", "Set", "LString", "Nil", "Collection", "Single", "Currency", "Date", "WString", "Int64",
};

}  // namespace

std::string_view ValueTypeName(TValueType type) noexcept {
    const auto i = static_cast<uint8_t>(type);
    return i <= kLastValueType ? kTagNames[i] : std::string_view("?");
}

void ThrowReadError() { throw EReadError(msg::ReadError); }
void ThrowInvalidValue() { throw EReadError(msg::InvalidPropertyValue); }

double ExtendedToDouble(const uint8_t b[10]) noexcept {
    const uint64_t mant = LoadLE64(b);
    const unsigned se = LoadLE16(b + 8);
    const bool negative = se & 0x8000;
    const int exp = static_cast<int>(se & 0x7FFF);
    double v;
    if (exp == 0x7FFF) {
        v = (mant << 1) != 0 ? std::numeric_limits<double>::quiet_NaN() : std::numeric_limits<double>::infinity();
    } else if (mant == 0) {
        v = 0.0;
    } else {
        v = std::ldexp(static_cast<double>(mant), exp - 16383 - 63);
    }
    return negative ? -v : v;
}

void DoubleToExtended(double value, uint8_t b[10]) noexcept {
    uint64_t mant = 0;
    unsigned exp = 0;
    const bool negative = std::signbit(value);
    if (std::isnan(value)) {
        exp = 0x7FFF;
        mant = 0xC000000000000000ull;
    } else if (std::isinf(value)) {
        exp = 0x7FFF;
        mant = 0x8000000000000000ull;
    } else if (value != 0.0) {
        int e = 0;
        const double m = std::frexp(std::fabs(value), &e);  // |value| = m * 2^e, m in [0.5, 1)
        mant = static_cast<uint64_t>(std::ldexp(m, 64));
        exp = static_cast<unsigned>(e - 1 + 16383);
    }
    StoreLE64(b, mant);
    StoreLE16(b + 8, static_cast<uint16_t>(exp | (negative ? 0x8000u : 0u)));
}

std::string_view TTagCursor::ShortString() {
    const uint8_t len = U8();
    const auto s = Take(len);
    return {reinterpret_cast<const char*>(s.data()), s.size()};
}

TValueType TTagCursor::ReadValue() {
    const uint8_t t = U8();
    if (t > kLastValueType) ThrowInvalidValue();
    return static_cast<TValueType>(t);
}

TValueType TTagCursor::NextValue() const {
    const uint8_t t = PeekByte();
    if (t > kLastValueType) ThrowInvalidValue();
    return static_cast<TValueType>(t);
}

int64_t TTagCursor::IntegerOf(TValueType type, bool allowInt64) {
    switch (type) {
        case TValueType::vaInt8: return static_cast<int8_t>(U8());
        case TValueType::vaInt16: return static_cast<int16_t>(U16());
        case TValueType::vaInt32: return static_cast<int32_t>(U32());
        case TValueType::vaInt64:
            if (allowInt64) return static_cast<int64_t>(U64());
            break;
        default: break;
    }
    ThrowInvalidValue();
}

double TTagCursor::FloatOf(TValueType type) {
    switch (type) {
        case TValueType::vaExtended: {
            const auto b = Take(10);
            return ExtendedToDouble(b.data());
        }
        case TValueType::vaSingle: {
            const uint32_t bits = U32();
            float f;
            std::memcpy(&f, &bits, 4);
            return f;
        }
        case TValueType::vaDate: {
            const uint64_t bits = U64();
            double d;
            std::memcpy(&d, &bits, 8);
            return d;
        }
        case TValueType::vaCurrency: return static_cast<double>(static_cast<int64_t>(U64())) / 10000.0;
        default: return static_cast<double>(IntegerOf(type, true));
    }
}

std::string TTagCursor::StringOf(TValueType type) {
    switch (type) {
        case TValueType::vaString: return std::string(ShortString());
        case TValueType::vaLString: {
            const auto s = Take(U32());
            return std::string(s.begin(), s.end());
        }
        case TValueType::vaWString: {
            const uint32_t units = U32();
            if (units > Remaining() / 2) ThrowReadError();
            return WideToShiftJis(Take(size_t{units} * 2));
        }
        default: ThrowInvalidValue();
    }
}

std::string_view TTagCursor::IdentOf(TValueType type) {
    switch (type) {
        case TValueType::vaIdent: return ShortString();
        case TValueType::vaFalse: return "False";
        case TValueType::vaTrue: return "True";
        case TValueType::vaNull: return "Null";
        case TValueType::vaNil: return "nil";
        default: ThrowInvalidValue();
    }
}

void TTagCursor::SkipValue(int depth) {
    if (depth > kMaxNesting) throw EReadError(msg::InvalidStreamFormat);
    const TValueType t = ReadValue();
    switch (t) {
        case TValueType::vaNull:
        case TValueType::vaFalse:
        case TValueType::vaTrue:
        case TValueType::vaNil: return;
        case TValueType::vaList:
            while (PeekByte() != 0) SkipValue(depth + 1);
            U8();
            return;
        case TValueType::vaInt8: Take(1); return;
        case TValueType::vaInt16: Take(2); return;
        case TValueType::vaInt32:
        case TValueType::vaSingle: Take(4); return;
        case TValueType::vaExtended: Take(10); return;
        case TValueType::vaString:
        case TValueType::vaIdent: ShortString(); return;
        case TValueType::vaBinary:
        case TValueType::vaLString: Take(U32()); return;
        case TValueType::vaSet:
            while (!ShortString().empty()) {}
            return;
        case TValueType::vaCollection:
            while (PeekByte() != 0) {
                const auto order = NextValue();
                if (order == TValueType::vaInt8 || order == TValueType::vaInt16 || order == TValueType::vaInt32)
                    SkipValue(depth + 1);
                if (ReadValue() != TValueType::vaList) ThrowInvalidValue();
                SkipProperties(depth + 1);
            }
            U8();
            return;
        case TValueType::vaCurrency:
        case TValueType::vaDate:
        case TValueType::vaInt64: Take(8); return;
        case TValueType::vaWString: {
            const uint32_t units = U32();
            if (units > Remaining() / 2) ThrowReadError();
            Take(size_t{units} * 2);
            return;
        }
    }
}

void TTagCursor::SkipProperties(int depth) {
    while (!ShortString().empty()) SkipValue(depth);
}

}  // namespace skr
