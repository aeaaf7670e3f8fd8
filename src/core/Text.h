// Texts: their encoding and formatting. Texts the program shows are
// Shift-JIS (code page 932) in the form definition; the platform seam
// speaks UTF-8.
#pragma once

#include <cstdint>
#include <span>
#include <string>
#include <string_view>

namespace skr {

// printf-style formatting of a text ("%s", "%d", "%zu", "%lld"): the
// message texts with their arguments, and the dump's lines. (On Windows the
// C library's standard printf is used, which MinGW's compilers check as
// gnu_printf; their "printf" is the older runtime's, without "%zu".)
#ifdef __MINGW32__
std::string Format(const char* fmt, ...) __attribute__((format(gnu_printf, 1, 2)));
#else
std::string Format(const char* fmt, ...) __attribute__((format(printf, 1, 2)));
#endif

// Both conversions use one built-in code page 932 table, so they give the
// same bytes on every platform.

// Converts Shift-JIS (CP932) bytes to UTF-8. A lead byte without a trail byte
// that completes a defined character is replaced by U+FFFD rather than dropped
// silently, and the byte after it is read afresh.
std::string ShiftJisToUtf8(std::string_view sjis);
// Converts UTF-8 to Shift-JIS (CP932), writing characters with several codes
// in the form Windows writes. Characters without a Shift-JIS form, and each
// byte of malformed UTF-8, become "?".
std::string Utf8ToShiftJis(std::string_view utf8);

// Appends one Unicode code point (up to U+10FFFF) as UTF-8.
void AppendUtf8(std::string& out, uint32_t codePoint);
// UTF-16LE code units (a WString payload of a form definition) to Shift-JIS,
// as text properties hold it; an unpaired surrogate becomes U+FFFD.
std::string WideToShiftJis(std::span<const uint8_t> utf16le);

// ASCII-only case-insensitive comparison, as names in form definitions use.
bool SameText(std::string_view a, std::string_view b) noexcept;
// A valid component name: a letter or "_" first, then letters, digits, "_".
bool IsValidIdent(std::string_view name) noexcept;

}  // namespace skr
