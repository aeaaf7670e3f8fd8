// Text encoding. Texts the program shows are Shift-JIS (code page 932) in
// the form definition; the platform seam speaks UTF-8.
#pragma once

#include <string>
#include <string_view>

namespace skr {

// Converts Shift-JIS (CP932) bytes to UTF-8. Bytes that do not decode are
// replaced by U+FFFD rather than dropped silently.
std::string ShiftJisToUtf8(std::string_view sjis);
// Converts UTF-8 to Shift-JIS (CP932); characters without a Shift-JIS form
// become "?".
std::string Utf8ToShiftJis(std::string_view utf8);

// ASCII-only case-insensitive comparison, as names in form definitions use.
bool SameText(std::string_view a, std::string_view b) noexcept;
// A valid component name: a letter or "_" first, then letters, digits, "_".
bool IsValidIdent(std::string_view name) noexcept;

}  // namespace skr
