// skr_cp932gen <output file>: writes the code page 932 table the core's text
// conversion uses, read from glibc's iconv "CP932" converter. The table is
// committed so that every platform (including those without iconv or with a
// different CP932) converts alike; run this only to regenerate it.
// Exit code 0 when written, 1 when the converter is missing or does not look
// as the table's layout expects, 2 when the file cannot be written.
#include <cerrno>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <fstream>
#include <string>
#include <vector>

#if defined(__GLIBC__)
#include <iconv.h>

namespace {

constexpr int kLeads = 60;    // 0x81-0x9F, 0xE0-0xFC
constexpr int kTrails = 188;  // 0x40-0x7E, 0x80-0xFC

int LeadByte(int index) { return index < 31 ? 0x81 + index : 0xE0 + index - 31; }
int TrailByte(int index) { return index < 63 ? 0x40 + index : 0x41 + index; }
bool IsLead(int b) { return (b >= 0x81 && b <= 0x9F) || (b >= 0xE0 && b <= 0xFC); }

// Stand-alone bytes glibc leaves undefined, given the code points Windows'
// own code page 932 reads them as (so that they survive a round trip).
struct Override {
    int byte;
    uint16_t unicode;
};
constexpr Override kOverrides[] = {{0x80, 0x0080}, {0xA0, 0xF8F0}, {0xFD, 0xF8F1}, {0xFE, 0xF8F2}, {0xFF, 0xF8F3}};

bool Fail(const char* what) {
    std::fprintf(stderr, "skr_cp932gen: %s\n", what);
    return false;
}

// One conversion of a whole input; false when iconv rejects any of it.
bool Convert(iconv_t cd, const void* in, size_t size, std::vector<uint8_t>& out) {
    iconv(cd, nullptr, nullptr, nullptr, nullptr);
    char* src = static_cast<char*>(const_cast<void*>(in));
    size_t srcLeft = size;
    uint8_t buf[16];
    char* dst = reinterpret_cast<char*>(buf);
    size_t dstLeft = sizeof buf;
    if (iconv(cd, &src, &srcLeft, &dst, &dstLeft) == static_cast<size_t>(-1) || srcLeft != 0) return false;
    if (iconv(cd, nullptr, nullptr, &dst, &dstLeft) == static_cast<size_t>(-1)) return false;
    out.assign(buf, buf + (sizeof buf - dstLeft));
    return true;
}

struct Tables {
    uint16_t single[128] = {};  // bytes 0x80-0xFF
    uint16_t dbcs[kLeads][kTrails] = {};
    std::vector<std::pair<uint16_t, uint16_t>> encodeOnly;  // (code point, code)
};

// Decodes `bytes`; false when glibc leaves them undefined. A code read as
// several code points yields 0xFFFFFFFF, which the table cannot hold.
bool DecodeOne(iconv_t dec, const uint8_t* bytes, size_t n, uint32_t& cp) {
    std::vector<uint8_t> out;
    if (!Convert(dec, bytes, n, out)) return false;
    cp = out.size() != 4 ? 0xFFFFFFFF : out[0] | out[1] << 8 | out[2] << 16 | uint32_t{out[3]} << 24;
    return true;
}

// One BMP code point, as the 16-bit table holds (0 is its mark for undefined).
bool Storable(uint32_t cp) { return cp > 0 && cp <= 0xFFFF && !(cp >= 0xD800 && cp < 0xE000); }

bool Read(Tables& t) {
    iconv_t dec = iconv_open("UTF-32LE", "CP932");
    iconv_t enc = iconv_open("CP932", "UTF-32LE");
    const iconv_t none = reinterpret_cast<iconv_t>(-1);
    if (dec == none || enc == none) {
        if (dec != none) iconv_close(dec);
        if (enc != none) iconv_close(enc);
        return Fail("iconv has no CP932 converter");
    }
    bool ok = true;
    std::vector<bool> decoded(0x10000);
    for (int b = 0; b < 256; ++b) {
        if (IsLead(b)) continue;
        const uint8_t byte = static_cast<uint8_t>(b);
        uint32_t cp = 0;
        const bool defined = DecodeOne(dec, &byte, 1, cp);
        if (b < 0x80) {
            // The core reads ASCII itself, without the table.
            if (!defined || cp != byte) ok = Fail("an ASCII byte does not decode to itself");
        } else if (defined) {
            if (!Storable(cp)) {
                ok = Fail("a byte does not decode to one BMP code point");
                continue;
            }
            t.single[b - 0x80] = static_cast<uint16_t>(cp);
            decoded[cp] = true;
        }
    }
    for (const Override& o : kOverrides) {
        if (t.single[o.byte - 0x80] != 0) ok = Fail("glibc now defines a byte the table overrides");
        t.single[o.byte - 0x80] = o.unicode;
        decoded[o.unicode] = true;
    }
    for (int l = 0; l < kLeads && ok; ++l)
        for (int i = 0; i < kTrails && ok; ++i) {
            const uint8_t pair[2] = {static_cast<uint8_t>(LeadByte(l)), static_cast<uint8_t>(TrailByte(i))};
            uint32_t cp = 0;
            if (!DecodeOne(dec, pair, 2, cp)) continue;
            if (!Storable(cp)) {
                ok = Fail("a code does not decode to one BMP code point");
                continue;
            }
            t.dbcs[l][i] = static_cast<uint16_t>(cp);
            decoded[cp] = true;
        }
    // Code points glibc writes although no code reads back as them.
    for (uint32_t cp = 0x80; cp < 0x10000 && ok; ++cp) {
        if ((cp >= 0xD800 && cp < 0xE000) || decoded[cp]) continue;
        const uint8_t utf32[4] = {static_cast<uint8_t>(cp), static_cast<uint8_t>(cp >> 8), 0, 0};
        std::vector<uint8_t> out;
        if (!Convert(enc, utf32, 4, out)) continue;
        if (out.size() == 1)
            t.encodeOnly.emplace_back(cp, out[0]);
        else if (out.size() == 2)
            t.encodeOnly.emplace_back(cp, out[0] << 8 | out[1]);
        else
            ok = Fail("a code point encodes to more than two bytes");
    }
    iconv_close(dec);
    iconv_close(enc);
    return ok;
}

std::string Hex(unsigned v, int digits) {
    char buf[8];
    std::snprintf(buf, sizeof buf, "0x%0*X", digits, v);
    return buf;
}

std::string Write(const Tables& t) {
    std::string s;
    s += "// Code page 932 (Shift-JIS with the NEC and IBM extensions) to UTF-16.\n"
         "// Generated from glibc's iconv \"CP932\" converter by tools/cp932gen; do not edit.\n"
         "// Regenerate on Linux/glibc with:\n"
         "//   cmake --build <build dir> --target skr_cp932gen\n"
         "//   <build dir>/tools/cp932gen/skr_cp932gen src/core/Cp932Table.inc\n"
         "// 0 marks an undefined code.\n"
         "// clang-format off\n"
         "#pragma once\n\n"
         "#include <cstdint>\n\n"
         "namespace skr::cp932 {\n\n"
         "// Bytes 0x80-0xFF read on their own: the half-width katakana 0xA1-0xDF, 0 at\n"
         "// the lead bytes. glibc leaves 0x80, 0xA0 and 0xFD-0xFF undefined; they are\n"
         "// read as Windows reads them (U+0080, U+F8F0, U+F8F1-U+F8F3) so that they\n"
         "// survive a round trip.\n"
         "constexpr uint16_t kSingle[128] = {\n";
    for (int i = 0; i < 128; i += 16) {
        s += "    ";
        for (int j = i; j < i + 16; ++j) s += Hex(t.single[j], 4) + ",";
        s += "\n";
    }
    s += "};\n\n"
         "// Double-byte codes: one row per lead byte (0x81-0x9F, then 0xE0-0xFC), each\n"
         "// row the trail bytes 0x40-0x7E then 0x80-0xFC, a line per 16 trail bytes.\n"
         "constexpr uint16_t kDouble[60][188] = {\n";
    for (int l = 0; l < kLeads; ++l) {
        bool any = false;
        for (uint16_t u : t.dbcs[l]) any = any || u != 0;
        if (!any) {
            s += "    {},  // " + Hex(LeadByte(l), 2) + "\n";
            continue;
        }
        s += "    {  // " + Hex(LeadByte(l), 2) + "\n";
        for (int i = 0; i < kTrails;) {
            s += "        ";
            const int row = TrailByte(i) >> 4;
            for (; i < kTrails && TrailByte(i) >> 4 == row; ++i) s += Hex(t.dbcs[l][i], 4) + ",";
            s += "\n";
        }
        s += "    },\n";
    }
    s += "};\n\n"
         "// Characters written in a form that reads back as another character (the\n"
         "// JIS forms of the characters code page 932 reads as their full-width or\n"
         "// mathematical counterparts), by code point.\n"
         "struct EncodeOnly {\n"
         "    uint16_t unicode;\n"
         "    uint16_t code;\n"
         "};\n"
         "constexpr EncodeOnly kEncodeOnly[] = {\n";
    for (const auto& [u, code] : t.encodeOnly)
        s += "    {" + Hex(u, 4) + ", " + Hex(code, code > 0xFF ? 4 : 2) + "},\n";
    s += "};\n\n"
         "}  // namespace skr::cp932\n"
         "// clang-format on\n";
    return s;
}

}  // namespace
#endif  // __GLIBC__

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: %s <output file>\n", argv[0]);
        return 2;
    }
#if defined(__GLIBC__)
    static Tables tables;
    if (!Read(tables)) return 1;
    const std::string text = Write(tables);
    std::ofstream file(argv[1], std::ios::binary);
    if (!file.write(text.data(), static_cast<std::streamsize>(text.size())) || !file.flush()) {
        std::fprintf(stderr, "%s: cannot write\n", argv[1]);
        return 2;
    }
    return 0;
#else
    std::fprintf(stderr, "skr_cp932gen: the table is read from glibc's iconv, which this build lacks\n");
    return 1;
#endif
}
