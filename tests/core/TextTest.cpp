#include <gtest/gtest.h>

#include <cstdint>
#include <string>

#include "core/Text.h"

#if __has_include(<iconv.h>) && defined(__GLIBC__)
#include <iconv.h>
#define SKR_HAVE_GLIBC_ICONV 1
#endif

namespace skr {
namespace {

TEST(ShiftJis, RoundTripsTheProgramsTexts) {
    const std::string font = "\x82\x6C\x82\x72\x20\x82\x6F\x83\x53\x83\x56\x83\x62\x83\x4E";
    EXPECT_EQ(ShiftJisToUtf8(font), "ＭＳ Ｐゴシック");
    EXPECT_EQ(Utf8ToShiftJis("ＭＳ Ｐゴシック"), font);
    const std::string title =
        "\x83\x41\x83\x76\x83\x8A\x83\x50\x81\x5B\x83\x56\x83\x87\x83\x93\x20\x83\x47\x83\x89\x81\x5B";
    EXPECT_EQ(Utf8ToShiftJis("アプリケーション エラー"), title);
    EXPECT_EQ(ShiftJisToUtf8(title), "アプリケーション エラー");
    for (const char* text : {"タイマーを取得できません", "ストリームからの読み込みエラー",
                             "コンポーネント名に ''%s'' は使えません", "%s リソースが見つかりません"})
        EXPECT_EQ(ShiftJisToUtf8(Utf8ToShiftJis(text)), text);
    // Half-width katakana are single bytes, and "\" and "~" stay ASCII.
    EXPECT_EQ(Utf8ToShiftJis("｡ｱﾝﾟ\\~"), "\xA1\xB1\xDD\xDF\\~");
    EXPECT_EQ(ShiftJisToUtf8("\xA1\xB1\xDD\xDF\\~"), "｡ｱﾝﾟ\\~");
}

TEST(ShiftJis, StrayHighBytesReadAsWindowsReadsThem) {
    EXPECT_EQ(ShiftJisToUtf8("\x80\xA0\xFD\xFE\xFF"), "\u0080\uF8F0\uF8F1\uF8F2\uF8F3");
    EXPECT_EQ(Utf8ToShiftJis("\u0080\uF8F0\uF8F1\uF8F2\uF8F3"), "\x80\xA0\xFD\xFE\xFF");
}

TEST(ShiftJis, CharactersWithSeveralCodesGetTheWindowsCode) {
    EXPECT_EQ(Utf8ToShiftJis("≒"), "\x81\xE0");   // JIS, not NEC row 13 (0x8790)
    EXPECT_EQ(Utf8ToShiftJis("∵"), "\x81\xE6");   // JIS, not 0x879A or 0xFA5B
    EXPECT_EQ(Utf8ToShiftJis("Ⅰ"), "\x87\x54");   // NEC row 13, not IBM 0xFA4A
    EXPECT_EQ(Utf8ToShiftJis("ⅰ"), "\xFA\x40");   // IBM, not NEC-selected 0xEEEF
    EXPECT_EQ(Utf8ToShiftJis("￢"), "\x81\xCA");  // JIS, not 0xEEF9 or 0xFA54
    EXPECT_EQ(Utf8ToShiftJis("纊"), "\xFA\x5C");  // IBM, not NEC-selected 0xED40
    // Every duplicate still reads back as its character.
    EXPECT_EQ(ShiftJisToUtf8("\x87\x90\xFA\x4A\xEE\xEF\xEE\xF9\xFA\x54\xED\x40"), "≒Ⅰⅰ￢￢纊");
    // JIS forms that read back as their full-width counterparts.
    EXPECT_EQ(Utf8ToShiftJis("¥‾〜−"), "\\~\x81\x60\x81\x7C");
    EXPECT_EQ(ShiftJisToUtf8("\x81\x60\x81\x7C"), "～－");
}

TEST(ShiftJis, BadBytesAreReplacedOneByOne) {
    EXPECT_EQ(ShiftJisToUtf8("\x82"), "\xEF\xBF\xBD");  // a cut character
    EXPECT_EQ(ShiftJisToUtf8("a\x82"), "a\xEF\xBF\xBD");
    // An invalid trail byte is read afresh after the replaced lead byte.
    EXPECT_EQ(ShiftJisToUtf8("\x82\x20\x82\xF2"), "\xEF\xBF\xBD \xEF\xBF\xBD\xEF\xBF\xBD");
    EXPECT_EQ(ShiftJisToUtf8("\x81\x7F"), "\xEF\xBF\xBD\x7F");
    EXPECT_EQ(ShiftJisToUtf8("\x85\x82\xA0"), "\xEF\xBF\xBDあ");  // undefined pair, lead byte as trail
    EXPECT_EQ(ShiftJisToUtf8(std::string("\x82\0", 2)), std::string("\xEF\xBF\xBD\0", 4));

    EXPECT_EQ(Utf8ToShiftJis("\xE3\x81"), "??");  // cut
    EXPECT_EQ(Utf8ToShiftJis(std::string("\xE3\x81") + "a"), "??a");
    EXPECT_EQ(Utf8ToShiftJis("\xC0\xAF\x80\xFF"), "????");  // overlong, stray continuation, never UTF-8
    EXPECT_EQ(Utf8ToShiftJis("\xED\xA0\x80"), "???");       // a surrogate
    EXPECT_EQ(Utf8ToShiftJis("\xF4\x90\x80\x80"), "????");  // beyond U+10FFFF
    // Valid characters without a form: one "?" each.
    EXPECT_EQ(Utf8ToShiftJis("é한😀あ"), "???\x82\xA0");
    EXPECT_EQ(Utf8ToShiftJis("\U000E0001"), "?");
}

#ifdef SKR_HAVE_GLIBC_ICONV
std::string Utf8(uint32_t cp) {
    std::string s;
    AppendUtf8(s, cp);
    return s;
}

// Converts with glibc's iconv; false when it rejects any of `in`.
bool Iconv(const char* to, const char* from, const std::string& in, std::string& out) {
    iconv_t cd = iconv_open(to, from);
    if (cd == reinterpret_cast<iconv_t>(-1)) return false;
    char* src = const_cast<char*>(in.data());
    size_t srcLeft = in.size();
    char buf[16];
    char* dst = buf;
    size_t dstLeft = sizeof buf;
    const bool ok = iconv(cd, &src, &srcLeft, &dst, &dstLeft) != static_cast<size_t>(-1) && srcLeft == 0;
    iconv_close(cd);
    out.assign(buf, sizeof buf - dstLeft);
    return ok;
}

// The committed table must stay what glibc's converter says, in both
// directions; only the stray bytes glibc leaves undefined differ.
TEST(ShiftJis, AgreesWithGlibc) {
    std::string probe;
    ASSERT_TRUE(Iconv("UTF-8", "CP932", "\x82\xA0", probe)) << "no CP932 converter";
    int mismatches = 0;
    for (int lead = 0x81; lead <= 0xFC; ++lead) {
        if (lead >= 0xA0 && lead < 0xE0) continue;
        for (int trail = 0x40; trail <= 0xFC; ++trail) {
            const std::string pair{static_cast<char>(lead), static_cast<char>(trail)};
            std::string expected;
            if (!Iconv("UTF-8", "CP932", pair, expected)) expected = "\xEF\xBF\xBD" + ShiftJisToUtf8(pair.substr(1));
            if (ShiftJisToUtf8(pair) != expected && ++mismatches < 10)
                ADD_FAILURE() << std::hex << "decoding 0x" << lead << trail;
        }
    }
    for (uint32_t cp = 0; cp < 0x10000; ++cp) {
        if ((cp >= 0xD800 && cp < 0xE000) || cp == 0x80 || (cp >= 0xF8F0 && cp <= 0xF8F3)) continue;
        std::string expected;
        if (!Iconv("CP932", "UTF-8", Utf8(cp), expected)) expected = "?";
        if (Utf8ToShiftJis(Utf8(cp)) != expected && ++mismatches < 10) ADD_FAILURE() << std::hex << "encoding U+" << cp;
    }
    EXPECT_EQ(mismatches, 0);
}
#endif

}  // namespace
}  // namespace skr
