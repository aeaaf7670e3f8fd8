#include "core/Text.h"

#include <iconv.h>

#include <cerrno>
#include <cstring>

namespace skr {
namespace {

// Converts with iconv, replacing each undecodable byte by `bad`.
std::string Convert(const char* to, const char* from, std::string_view in, std::string_view bad) {
    iconv_t cd = iconv_open(to, from);
    if (cd == reinterpret_cast<iconv_t>(-1)) return std::string(in);
    std::string out;
    out.reserve(in.size() * 2 + 8);
    char* src = const_cast<char*>(in.data());
    size_t srcLeft = in.size();
    char buf[256];
    while (srcLeft > 0) {
        char* dst = buf;
        size_t dstLeft = sizeof buf;
        const size_t r = iconv(cd, &src, &srcLeft, &dst, &dstLeft);
        out.append(buf, sizeof buf - dstLeft);
        if (r == static_cast<size_t>(-1) && errno != E2BIG) {
            // EILSEQ or EINVAL (a truncated multibyte sequence): skip one byte.
            out.append(bad);
            ++src;
            --srcLeft;
            iconv(cd, nullptr, nullptr, nullptr, nullptr);
        }
    }
    iconv_close(cd);
    return out;
}

}  // namespace

std::string ShiftJisToUtf8(std::string_view sjis) { return Convert("UTF-8", "CP932", sjis, "\xEF\xBF\xBD"); }
std::string Utf8ToShiftJis(std::string_view utf8) { return Convert("CP932", "UTF-8", utf8, "?"); }

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

}  // namespace skr
