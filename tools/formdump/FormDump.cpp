#include "formdump/FormDump.h"

#include <algorithm>
#include <string_view>

#include "base/ByteCursor.h"
#include "core/Exception.h"
#include "core/Text.h"
#include "formdef/Messages.h"
#include "formdef/ValueTags.h"

namespace skr {

namespace {

// Fields of a payload at given offsets, read by a byte cursor placed there:
// a field that does not fit reads 0. (JPEG's big-endian fields are read
// byte by byte.)
struct Bytes {
    std::span<const uint8_t> b;
    ByteCursor<> At(size_t at) const { return ByteCursor<>(at <= b.size() ? b.subspan(at) : std::span<const uint8_t>{}); }
    bool Has(size_t at, size_t n) const { return at <= b.size() && At(at).Has(n); }
    uint32_t U8(size_t at) const { return At(at).U8(); }
    uint32_t U16(size_t at) const { return At(at).U16(); }
    uint32_t U32(size_t at) const { return At(at).U32(); }
    uint32_t BE16(size_t at) const { return Has(at, 2) ? b[at] << 8 | b[at + 1] : 0; }
    bool Is(size_t at, std::string_view s) const {
        return Has(at, s.size()) && std::equal(s.begin(), s.end(), b.begin() + static_cast<ptrdiff_t>(at));
    }
};

std::string DescribeBmp(std::span<const uint8_t> file) {
    const Bytes f{file};
    if (!f.Is(0, "BM")) return "not a BMP file (no \"BM\")";
    std::string s = Format("BMP %zu bytes", file.size());
    if (f.U32(2) != file.size()) s += Format(" (header says %u)", f.U32(2));
    const uint32_t info = f.U32(14);
    if (info >= 40 && f.Has(14, 40)) {
        // The height is negative for rows stored top-down; its size is taken
        // in 64 bits, where INT32_MIN has a positive counterpart.
        const int32_t w = static_cast<int32_t>(f.U32(18));
        const int64_t h = static_cast<int32_t>(f.U32(22));
        s += Format(", %dx%lld, %u bpp, %u planes", w, static_cast<long long>(h < 0 ? -h : h), f.U16(28), f.U16(26));
        if (f.U32(30) != 0) s += Format(", compression %u", f.U32(30));
        if (f.U32(46) != 0) s += Format(", %u colours used", f.U32(46));
        s += Format(", pixels at %u", f.U32(10));
    } else if (info == 12 && f.Has(14, 12)) {
        s += Format(", %ux%u, %u bpp (core header)", f.U16(18), f.U16(20), f.U16(24));
    } else {
        s += ", truncated or unknown information header";
    }
    return s;
}

std::string DescribeJpeg(std::span<const uint8_t> jpeg) {
    const Bytes j{jpeg};
    if (!(j.U8(0) == 0xFF && j.U8(1) == 0xD8)) return Format("not a JPEG stream (%zu bytes)", jpeg.size());
    std::string s = Format("JPEG %zu bytes", jpeg.size());
    size_t p = 2;
    while (j.Has(p, 4)) {
        if (j.U8(p) != 0xFF) break;
        const uint32_t m = j.U8(p + 1);
        if (m == 0xFF) { ++p; continue; }
        if (m == 0xD9 || m == 0xDA) break;  // end of image / start of scan: headers done
        if (m == 0x01 || (m >= 0xD0 && m <= 0xD7)) { p += 2; continue; }
        const uint32_t len = j.BE16(p + 2);
        if (len < 2) break;
        if (m >= 0xC0 && m <= 0xCF && m != 0xC4 && m != 0xC8 && m != 0xCC && j.Has(p + 4, 6)) {
            s += Format(", %ux%u, %u components, %u-bit, %s", j.BE16(p + 7), j.BE16(p + 5), j.U8(p + 9), j.U8(p + 4),
                        m == 0xC0 ? "baseline" : m == 0xC2 ? "progressive" : "other coding");
            break;
        }
        p += 2 + len;
    }
    if (!(j.U8(jpeg.size() - 2) == 0xFF && j.U8(jpeg.size() - 1) == 0xD9)) s += ", no end-of-image marker at the end";
    return s;
}

std::string DescribeIcon(std::span<const uint8_t> icon) {
    const Bytes i{icon};
    const uint32_t count = i.U16(4);
    std::string s = Format("icon %zu bytes, type %u, %u image%s", icon.size(), i.U16(2), count, count == 1 ? "" : "s");
    if (count > 0 && i.Has(6, 16)) {
        const uint32_t w = i.U8(6) ? i.U8(6) : 256, h = i.U8(7) ? i.U8(7) : 256;
        s += Format(", first %ux%u, %u colours, %u bytes at %u", w, h, i.U8(8), i.U32(14), i.U32(18));
    }
    return s;
}

std::string DescribeWave(std::span<const uint8_t> wave) {
    const Bytes w{wave};
    std::string s = Format("WAVE %zu bytes", wave.size());
    if (!w.Is(8, "WAVE")) return s + ", RIFF form is not WAVE";
    if (w.U32(4) + uint64_t{8} != wave.size()) s += Format(" (RIFF size field %u)", w.U32(4));
    uint32_t rate = 0, align = 0;
    std::string chunks;
    size_t p = 12;
    while (w.Has(p, 8)) {
        const std::string_view id(reinterpret_cast<const char*>(wave.data() + p), 4);
        const uint32_t size = w.U32(p + 4);
        chunks += (chunks.empty() ? "" : ", ") + std::string(id);
        if (id == "fmt " && size >= 16) {
            s += Format(", format %u, %u channel%s, %u Hz, %u bits", w.U16(p + 8), w.U16(p + 10),
                        w.U16(p + 10) == 1 ? "" : "s", w.U32(p + 12), w.U16(p + 22));
            rate = w.U32(p + 12), align = w.U16(p + 20);
        } else if (id == "data") {
            s += Format(", %u data bytes", size);
            if (align) {
                const uint32_t samples = size / align;
                s += Format(", %u samples", samples);
                if (rate) s += Format(", %.3f s", static_cast<double>(samples) / rate);
            }
        }
        if (size > wave.size() - p - 8) {
            s += ", chunk runs past the end";
            break;
        }
        p += 8 + size + (size & 1);
    }
    return s + ", chunks: " + chunks;
}

bool LooksLikeClassName(const Bytes& b) {
    const uint32_t len = b.U8(0);
    if (len < 2 || len > 63 || !b.Has(1, len) || b.U8(1) != 'T') return false;
    for (uint32_t i = 1; i <= len; ++i) {
        const uint32_t c = b.U8(i);
        if (!((c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9') || c == '_')) return false;
    }
    return true;
}

// The "4-byte length, then that many bytes" framing of bitmaps and JPEG images.
std::string DescribeInner(const Bytes& b, size_t at, const char* what, std::string (*describe)(std::span<const uint8_t>)) {
    if (!b.Has(at, 4)) return Format("%s: no inner length", what);
    const uint32_t n = b.U32(at);
    const size_t rest = b.b.size() - at - 4;
    if (n == 0) return Format("empty %s", what);
    if (n > rest) return Format("%s: inner length %u exceeds the %zu bytes that follow", what, n, rest);
    std::string s = describe(b.b.subspan(at + 4, n));
    if (n != rest) s += Format(" (%zu bytes follow it)", rest - n);
    return s;
}

std::string DescribePicture(const Bytes& b) {
    const uint32_t len = b.U8(0);
    const std::string kind(reinterpret_cast<const char*>(b.b.data() + 1), len);
    std::string s = "picture of kind " + kind + ": ";
    if (kind == "TJPEGImage") return s + DescribeInner(b, 1 + len, "JPEG image", DescribeJpeg);
    if (kind == "TBitmap") return s + DescribeInner(b, 1 + len, "bitmap", DescribeBmp);
    if (kind == "TIcon") return s + DescribeIcon(b.b.subspan(1 + len));
    return s + Format("%zu bytes of data", b.b.size() - 1 - len);
}

// Long texts are cut for reading; their length is shown beside them.
std::string Quote(std::string_view sjis) {
    constexpr size_t kShown = 80;
    const bool cut = sjis.size() > kShown;
    if (cut) {
        sjis = sjis.substr(0, kShown);
        // Do not end inside a two-byte Shift-JIS character.
        size_t i = 0;
        while (i < sjis.size()) {
            const auto u = static_cast<unsigned char>(sjis[i]);
            const size_t w = ((u >= 0x81 && u <= 0x9F) || (u >= 0xE0 && u <= 0xFC)) ? 2 : 1;
            if (i + w > sjis.size()) break;
            i += w;
        }
        sjis = sjis.substr(0, i);
    }
    std::string q = "'";
    for (char c : ShiftJisToUtf8(sjis)) {
        const auto u = static_cast<unsigned char>(c);
        if (u < 0x20 || u == 0x7F) q += Format("\\x%02X", u);
        else if (c == '\'') q += "''";
        else q += c;
    }
    return q + (cut ? "'..." : "'");
}

class Dumper {
public:
    Dumper(std::span<const uint8_t> bytes, std::string& out) : in_(bytes), out_(out) {}

    void Run() {
        const auto sig = in_.Take(4);
        if (!Bytes{sig}.Is(0, "TPF0")) throw EReadError(msg::InvalidStreamFormat);
        out_ += "TPF0\n";
        Object(0);
        if (in_.Remaining() != 0) out_ += Format("(%zu bytes follow the root record)\n", in_.Remaining());
    }

    size_t Offset() const { return in_.Position(); }

private:
    void Indent(int depth) { out_.append(static_cast<size_t>(depth) * 2, ' '); }

    void Object(int depth) {
        if (depth > kMaxNesting) throw EReadError(msg::InvalidStreamFormat);
        std::string prefix;
        const uint8_t first = in_.PeekByte();
        if ((first & 0xF0) == 0xF0) {
            in_.U8();
            prefix = Format("  [flags 0x%X", first & 0x0F);
            if (first & 0x02) prefix += Format(", child position %lld", static_cast<long long>(in_.ReadInteger()));
            prefix += "]";
        }
        const std::string cls(in_.ShortString());
        const std::string name(in_.ShortString());
        Indent(depth);
        out_ += "object " + name + ": " + cls + prefix + "\n";
        Properties(depth + 1);
        while (in_.PeekByte() != 0) Object(depth + 1);
        in_.U8();
        Indent(depth);
        out_ += "end\n";
    }

    void Properties(int depth) {
        for (std::string_view name; !(name = in_.ShortString()).empty();) {
            Indent(depth);
            out_ += std::string(name) + " = ";
            Value(depth);
        }
    }

    void Value(int depth) {
        if (depth > kMaxNesting) throw EReadError(msg::InvalidStreamFormat);
        const TValueType t = in_.ReadValue();
        out_ += ValueTypeName(t);
        switch (t) {
            case TValueType::vaNull:
            case TValueType::vaFalse:
            case TValueType::vaTrue:
            case TValueType::vaNil: out_ += "\n"; return;
            case TValueType::vaInt8:
            case TValueType::vaInt16:
            case TValueType::vaInt32:
            case TValueType::vaInt64: {
                const int64_t v = in_.IntegerOf(t, true);
                out_ += Format(" %lld", static_cast<long long>(v));
                if (v < -9 || v > 9) out_ += Format(" (0x%llX)", static_cast<unsigned long long>(v) & (t == TValueType::vaInt64 ? ~0ull : 0xFFFFFFFFull));
                out_ += "\n";
                return;
            }
            case TValueType::vaExtended:
            case TValueType::vaSingle:
            case TValueType::vaCurrency:
            case TValueType::vaDate: out_ += Format(" %.17g\n", in_.FloatOf(t)); return;
            case TValueType::vaString:
            case TValueType::vaLString:
            case TValueType::vaWString: {
                const std::string s = in_.StringOf(t);
                out_ += Format(" (%zu bytes) ", s.size()) + Quote(s) + "\n";
                return;
            }
            case TValueType::vaIdent: out_ += " " + std::string(in_.ShortString()) + "\n"; return;
            case TValueType::vaBinary: {
                const auto payload = in_.Take(in_.U32());
                out_ += " " + DescribeBinary(payload) + "\n";
                return;
            }
            case TValueType::vaSet: {
                std::string elements;
                for (std::string_view e; !(e = in_.ShortString()).empty();)
                    elements += (elements.empty() ? "" : ", ") + std::string(e);
                out_ += " [" + elements + "]\n";
                return;
            }
            case TValueType::vaList:
                out_ += " (\n";
                while (in_.PeekByte() != 0) {
                    Indent(depth + 1);
                    Value(depth + 1);
                }
                in_.U8();
                Indent(depth);
                out_ += ")\n";
                return;
            case TValueType::vaCollection:
                out_ += " <\n";
                while (in_.PeekByte() != 0) {
                    Indent(depth + 1);
                    out_ += "item";
                    const TValueType order = in_.NextValue();
                    if (order == TValueType::vaInt8 || order == TValueType::vaInt16 || order == TValueType::vaInt32)
                        out_ += Format(" [%lld]", static_cast<long long>(in_.ReadInteger()));
                    out_ += "\n";
                    if (in_.ReadValue() != TValueType::vaList) ThrowInvalidValue();
                    Properties(depth + 2);
                    Indent(depth + 1);
                    out_ += "end\n";
                }
                in_.U8();
                Indent(depth);
                out_ += ">\n";
                return;
        }
    }

    TTagCursor in_;
    std::string& out_;
};

}  // namespace

std::string DescribeBinary(std::span<const uint8_t> payload) {
    const Bytes b{payload};
    std::string s = Format("%zu bytes: ", payload.size());
    if (payload.empty()) return s + "empty";
    if (b.Is(0, "RIFF")) return s + DescribeWave(payload);
    if (b.Is(0, "BM")) return s + DescribeBmp(payload);
    if (b.U16(0) == 0 && (b.U16(2) == 1 || b.U16(2) == 2) && b.Has(0, 6)) return s + DescribeIcon(payload);
    if (b.Is(4, "BM") || (b.U32(0) == 0 && payload.size() == 4)) return s + DescribeInner(b, 0, "bitmap", DescribeBmp);
    if (LooksLikeClassName(b)) return s + DescribePicture(b);
    return s + "data";
}

bool DumpFormStream(std::span<const uint8_t> bytes, std::string& out) {
    Dumper d(bytes, out);
    try {
        d.Run();
        return true;
    } catch (const Exception& e) {
        if (!out.empty() && out.back() != '\n') out += '\n';
        out += Format("error at offset %zu: ", d.Offset()) + e.Message() + "\n";
        return false;
    }
}

}  // namespace skr
