#include "core/Text.h"

#include <algorithm>
#include <cstdarg>
#include <cstdint>
#include <cstdio>
#include <vector>

#include "base/ByteOrder.h"
#include "core/Cp932Table.inc"

namespace skr {
namespace {

constexpr const char* kReplacement = "\xEF\xBF\xBD";  // U+FFFD in UTF-8

bool IsLeadByte(uint8_t b) { return (b >= 0x81 && b <= 0x9F) || (b >= 0xE0 && b <= 0xFC); }

// The character a lead and trail byte pair stands for; 0 when undefined.
uint16_t DecodePair(uint8_t lead, uint8_t trail) {
    if (trail < 0x40 || trail == 0x7F || trail > 0xFC) return 0;
    const int row = lead <= 0x9F ? lead - 0x81 : lead - 0xE0 + 31;
    return cp932::kDouble[row][trail < 0x7F ? trail - 0x40 : trail - 0x41];
}

// Reads one UTF-8 character at `i` and moves past it. A byte that does not
// begin a well-formed character (overlong, a surrogate, beyond U+10FFFF or
// cut short) yields -1 and is passed alone.
int32_t NextUtf8(std::string_view s, size_t& i) {
    const uint8_t b = static_cast<uint8_t>(s[i]);
    int len = 0;
    uint8_t lo = 0x80, hi = 0xBF;  // the range of the second byte
    if (b < 0x80) {
        ++i;
        return b;
    } else if (b >= 0xC2 && b <= 0xDF) {
        len = 2;
    } else if (b >= 0xE0 && b <= 0xEF) {
        len = 3;
        if (b == 0xE0) lo = 0xA0;
        if (b == 0xED) hi = 0x9F;
    } else if (b >= 0xF0 && b <= 0xF4) {
        len = 4;
        if (b == 0xF0) lo = 0x90;
        if (b == 0xF4) hi = 0x8F;
    } else {
        ++i;
        return -1;
    }
    if (s.size() - i < static_cast<size_t>(len)) {
        ++i;
        return -1;
    }
    int32_t cp = b & (0x7F >> len);
    for (int k = 1; k < len; ++k) {
        const uint8_t c = static_cast<uint8_t>(s[i + k]);
        if (k == 1 ? (c < lo || c > hi) : (c & 0xC0) != 0x80) {
            ++i;
            return -1;
        }
        cp = cp << 6 | (c & 0x3F);
    }
    i += len;
    return cp;
}

struct Encoding {
    uint16_t unicode;
    uint16_t code;
};

// Where a character has several codes, the one Windows writes: the standard
// JIS X 0208 code, then NEC row 13 (lead 0x87), then the IBM extensions
// (0xFA-0xFC), and the NEC-selected IBM extensions (0xED-0xEE) last.
int Preference(uint16_t code) {
    const unsigned lead = code >> 8;
    if (lead == 0x87) return 1;
    if (lead >= 0xFA) return 2;
    if (lead == 0xED || lead == 0xEE) return 3;
    return 0;
}

// Every character above ASCII with its code, sorted by code point; built
// from the decoding table on first use.
const std::vector<Encoding>& EncodingMap() {
    static const std::vector<Encoding> map = [] {
        std::vector<Encoding> m;
        m.reserve(8192);
        for (unsigned b = 0x80; b <= 0xFF; ++b)
            if (const uint16_t u = cp932::kSingle[b - 0x80]) m.push_back({u, static_cast<uint16_t>(b)});
        for (unsigned lead = 0x81; lead <= 0xFC; ++lead) {
            if (!IsLeadByte(static_cast<uint8_t>(lead))) continue;
            for (unsigned trail = 0x40; trail <= 0xFC; ++trail)
                if (const uint16_t u = DecodePair(static_cast<uint8_t>(lead), static_cast<uint8_t>(trail)))
                    m.push_back({u, static_cast<uint16_t>(lead << 8 | trail)});
        }
        for (const cp932::EncodeOnly& e : cp932::kEncodeOnly) m.push_back({e.unicode, e.code});
        std::sort(m.begin(), m.end(), [](const Encoding& a, const Encoding& b) {
            if (a.unicode != b.unicode) return a.unicode < b.unicode;
            if (Preference(a.code) != Preference(b.code)) return Preference(a.code) < Preference(b.code);
            return a.code < b.code;
        });
        m.erase(std::unique(m.begin(), m.end(),
                            [](const Encoding& a, const Encoding& b) { return a.unicode == b.unicode; }),
                m.end());
        return m;
    }();
    return map;
}

}  // namespace

std::string Format(const char* fmt, ...) {
    va_list args;
    va_start(args, fmt);
    va_list copy;
    va_copy(copy, args);
    const int n = std::vsnprintf(nullptr, 0, fmt, copy);
    va_end(copy);
    std::string out(n > 0 ? static_cast<size_t>(n) : 0, '\0');
    if (n > 0) std::vsnprintf(out.data(), out.size() + 1, fmt, args);
    va_end(args);
    return out;
}

void AppendUtf8(std::string& out, uint32_t cp) {
    if (cp < 0x80) {
        out += static_cast<char>(cp);
    } else if (cp < 0x800) {
        out += static_cast<char>(0xC0 | cp >> 6);
        out += static_cast<char>(0x80 | (cp & 0x3F));
    } else if (cp < 0x10000) {
        out += static_cast<char>(0xE0 | cp >> 12);
        out += static_cast<char>(0x80 | (cp >> 6 & 0x3F));
        out += static_cast<char>(0x80 | (cp & 0x3F));
    } else {
        out += static_cast<char>(0xF0 | cp >> 18);
        out += static_cast<char>(0x80 | (cp >> 12 & 0x3F));
        out += static_cast<char>(0x80 | (cp >> 6 & 0x3F));
        out += static_cast<char>(0x80 | (cp & 0x3F));
    }
}

std::string ShiftJisToUtf8(std::string_view sjis) {
    std::string out;
    out.reserve(sjis.size() + sjis.size() / 2);
    for (size_t i = 0; i < sjis.size(); ++i) {
        const uint8_t b = static_cast<uint8_t>(sjis[i]);
        if (b < 0x80) {
            out += static_cast<char>(b);
        } else if (!IsLeadByte(b)) {
            const uint16_t u = cp932::kSingle[b - 0x80];
            if (u)
                AppendUtf8(out, u);
            else
                out += kReplacement;
        } else if (const uint16_t u = i + 1 < sjis.size() ? DecodePair(b, static_cast<uint8_t>(sjis[i + 1])) : 0) {
            AppendUtf8(out, u);
            ++i;
        } else {
            // A cut or undefined pair: only the lead byte is replaced, the
            // next byte is read afresh.
            out += kReplacement;
        }
    }
    return out;
}

std::string Utf8ToShiftJis(std::string_view utf8) {
    const std::vector<Encoding>& map = EncodingMap();
    std::string out;
    out.reserve(utf8.size());
    for (size_t i = 0; i < utf8.size();) {
        const int32_t cp = NextUtf8(utf8, i);
        if (cp >= 0 && cp < 0x80) {
            out += static_cast<char>(cp);
            continue;
        }
        const auto it = cp < 0 ? map.end()
                               : std::lower_bound(map.begin(), map.end(), cp,
                                                  [](const Encoding& e, int32_t u) { return e.unicode < u; });
        if (it == map.end() || it->unicode != cp) {
            out += '?';  // malformed, or no code page 932 form (nothing above U+FFFF has one)
            continue;
        }
        if (it->code > 0xFF) out += static_cast<char>(it->code >> 8);
        out += static_cast<char>(it->code & 0xFF);
    }
    return out;
}

bool SameText(std::string_view a, std::string_view b) noexcept {
    if (a.size() != b.size()) return false;
    for (size_t i = 0; i < a.size(); ++i) {
        char x = a[i], y = b[i];
        if (x >= 'A' && x <= 'Z') x = static_cast<char>(x + 32);
        if (y >= 'A' && y <= 'Z') y = static_cast<char>(y + 32);
        if (x != y) return false;
    }
    return true;
}

bool IsValidIdent(std::string_view name) noexcept {
    auto alpha = [](char c) { return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || c == '_'; };
    if (name.empty() || !alpha(name[0])) return false;
    for (char c : name.substr(1))
        if (!alpha(c) && !(c >= '0' && c <= '9')) return false;
    return true;
}

std::string WideToShiftJis(std::span<const uint8_t> w) {
    std::string utf8;
    const size_t units = w.size() / 2;
    for (size_t i = 0; i < units; ++i) {
        uint32_t cp = LoadLE16(w.data() + 2 * i);
        if (cp >= 0xD800 && cp < 0xDC00 && i + 1 < units) {
            const uint32_t lo = LoadLE16(w.data() + 2 * i + 2);
            if (lo >= 0xDC00 && lo < 0xE000) {
                cp = 0x10000 + ((cp - 0xD800) << 10) + (lo - 0xDC00);
                ++i;
            }
        }
        if (cp >= 0xD800 && cp < 0xE000) cp = 0xFFFD;  // an unpaired surrogate
        AppendUtf8(utf8, cp);
    }
    return Utf8ToShiftJis(utf8);
}

}  // namespace skr
