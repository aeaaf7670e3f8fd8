#include "gfx/Icon.h"

#include <cstdlib>

#include "base/ByteOrder.h"
#include "core/Exception.h"
#include "core/Filer.h"
#include "core/Messages.h"
#include "core/Stream.h"
#include "gfx/Bitmap.h"
#include "gfx/Canvas.h"
#include "gfx/Dib.h"
#include "gfx/Messages.h"

namespace skr {

namespace {

constexpr int kMaxIconSide = 1024;

[[noreturn]] void Invalid() { throw EInvalidGraphic(msg::InvalidIcon); }
[[noreturn]] void Truncated() { throw EReadError(msg::ReadError); }

bool IsPng(const uint8_t* p, size_t n) {
    static const uint8_t sig[8] = {0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n'};
    if (n < 8) return false;
    for (int i = 0; i < 8; ++i)
        if (p[i] != sig[i]) return false;
    return true;
}

// Blends straight ARGB over an opaque background pixel.
uint32_t Over(uint32_t argb, uint32_t back) {
    const uint32_t a = argb >> 24;
    if (a == 255) return argb & 0xFFFFFF;
    if (a == 0) return back;
    uint32_t out = 0;
    for (int shift = 0; shift < 24; shift += 8) {
        const uint32_t f = (argb >> shift) & 0xFF, b = (back >> shift) & 0xFF;
        out |= ((f * a + b * (255 - a) + 127) / 255) << shift;
    }
    return out;
}

}  // namespace

const TClassInfo& TIcon::StaticClass() {
    static const TClassInfo info{.name = "TIcon", .parent = &TGraphic::StaticClass()};
    return info;
}

void TIcon::ReadData(TStream& stream) {
    std::vector<uint8_t> bytes(stream.Remaining());
    stream.ReadBuffer(bytes.data(), bytes.size());
    std::vector<Entry> entries;
    if (!bytes.empty()) {
        if (bytes.size() < 6) Truncated();
        if (LoadLE16(bytes.data() + 2) > 1) Invalid();  // 2 is a cursor
        const size_t count = LoadLE16(bytes.data() + 4);
        if (6 + 16 * count > bytes.size()) Truncated();
        entries.reserve(count);
        for (size_t i = 0; i < count; ++i) {
            const uint8_t* d = bytes.data() + 6 + 16 * i;
            Entry e;
            e.width = d[0] ? d[0] : 256;
            e.height = d[1] ? d[1] : 256;
            e.size = LoadLE32(d + 8);
            e.offset = LoadLE32(d + 12);
            if (e.offset > bytes.size() || e.size > bytes.size() - e.offset) Truncated();
            // The depth: the image's own header is the reliable source;
            // directories often leave the bit count 0 (colour count only).
            const uint8_t* img = bytes.data() + e.offset;
            if (e.size >= 16 && !IsPng(img, e.size)) e.bits = LoadLE16(img + 14);
            else if (LoadLE16(d + 6)) e.bits = LoadLE16(d + 6);
            else if (d[2] == 2) e.bits = 1;
            else if (d[2] == 16) e.bits = 4;
            else e.bits = 8;
            entries.push_back(e);
        }
    }
    data_ = std::move(bytes);
    entries_ = std::move(entries);
    drawCache_.clear();
    cacheW_ = cacheH_ = 0;
    Changed();
}

void TIcon::WriteData(TStream& stream) const { stream.WriteBuffer(data_.data(), data_.size()); }

void TIcon::Assign(const TPersistent* source) {
    if (auto* icon = dynamic_cast<const TIcon*>(source)) {
        if (icon == this) return;
        data_ = icon->data_;
        entries_ = icon->entries_;
        drawCache_.clear();
        cacheW_ = cacheH_ = 0;
        Changed();
        return;
    }
    TGraphic::Assign(source);
}

void TIcon::DefineProperties(TFiler& filer) {
    TGraphic::DefineProperties(filer);
    filer.DefineBinaryProperty(
        "Data", [this](TStream& s) { ReadData(s); }, [this](TStream& s) { WriteData(s); }, !Empty());
}

int TIcon::ChooseImage(int size, int bitsPerPixel) const noexcept {
    int best = -1;
    for (int i = 0; i < ImageCount(); ++i) {
        if (best < 0) { best = i; continue; }
        const Entry& e = entries_[i];
        const Entry& b = entries_[best];
        const int de = std::abs(e.width - size), db = std::abs(b.width - size);
        if (de != db) {
            if (de < db) best = i;
            continue;
        }
        if (e.width != b.width) {
            if (e.width > b.width) best = i;  // scale down rather than up
            continue;
        }
        // Same size: deepest colour the display shows, else the shallowest.
        const bool eFits = e.bits <= bitsPerPixel, bFits = b.bits <= bitsPerPixel;
        if (eFits != bFits) {
            if (eFits) best = i;
        } else if (eFits ? e.bits > b.bits : e.bits < b.bits) {
            best = i;
        }
    }
    return best;
}

int TIcon::Width() const {
    const int i = ChooseImage(kDefaultSize, 32);
    return i < 0 ? 0 : entries_[i].width;
}

int TIcon::Height() const {
    const int i = ChooseImage(kDefaultSize, 32);
    return i < 0 ? 0 : entries_[i].height;
}

std::vector<uint32_t> TIcon::ToArgb(int size, int& w, int& h, int bitsPerPixel) const {
    w = h = 0;
    const int i = ChooseImage(size, bitsPerPixel);
    if (i < 0) return {};
    return DecodeImage(i, w, h);
}

std::vector<uint32_t> TIcon::DecodeImage(int index, int& w, int& h) const {
    w = h = 0;
    if (index < 0 || index >= ImageCount()) return {};
    const Entry& e = entries_[index];
    const uint8_t* img = data_.data() + e.offset;  // offset and size checked at load
    const uint64_t n = e.size;
    if (IsPng(img, n)) Invalid();  // PNG-compressed images are not decoded
    static constexpr DibRules kRules{.invalid = msg::InvalidIcon, .maxSide = kMaxIconSide, .coreHeader = false,
                                     .sixteenBits = false, .planesOfOne = false, .colourAndMask = true};
    const DibHeader dib = ReadDibHeader(img, n, kRules);
    const uint64_t andStride = (uint64_t(dib.width) + 31) / 32 * 4;
    const uint64_t xorStart = dib.tableEnd, andStart = xorStart + dib.stride * uint64_t(dib.height);
    if (andStart > n) Truncated();
    // A 32-bit image carries its own alpha and may leave the mask out.
    const bool hasMask = andStart + andStride * uint64_t(dib.height) <= n;
    const bool bpp32 = dib.bitsPerPixel == 32;
    if (!hasMask && !bpp32) Truncated();

    w = dib.width;
    h = dib.height;
    std::vector<uint32_t> out(static_cast<size_t>(w) * h);
    bool anyAlpha = false;
    for (int y = 0; y < h; ++y) {
        uint32_t* px = out.data() + static_cast<size_t>(y) * w;
        UnpackDibRow(dib, img + xorStart + dib.stride * static_cast<uint64_t>(h - 1 - y), px);
        for (int x = 0; x < w; ++x) {
            if (bpp32) anyAlpha |= (px[x] >> 24) != 0;
            else px[x] |= 0xFF000000u;
        }
    }
    if (bpp32 && anyAlpha) return out;
    for (int y = 0; y < h; ++y) {
        const uint8_t* mask = hasMask ? img + andStart + andStride * static_cast<uint64_t>(h - 1 - y) : nullptr;
        uint32_t* px = out.data() + static_cast<size_t>(y) * w;
        for (int x = 0; x < w; ++x) {
            const bool transparent = mask && ((mask[x >> 3] >> (7 - (x & 7))) & 1);
            px[x] = transparent ? (px[x] & 0xFFFFFF) : (px[x] | 0xFF000000u);
        }
    }
    return out;
}

void TIcon::Draw(TCanvas& canvas, const TRect& dest) {
    if (Empty()) return;
    if (drawCache_.empty()) drawCache_ = ToArgb(kDefaultSize, cacheW_, cacheH_);
    if (drawCache_.empty()) return;
    // Compose the icon over what the canvas shows, then copy the result so
    // the canvas's clipping applies as to any other copy.
    const TPixelView& target = canvas.Target();
    TBitmap composed;
    composed.SetSize(cacheW_, cacheH_);
    for (int y = 0; y < cacheH_; ++y) {
        uint32_t* out = composed.Scanline(y);
        // In 64 bits: the icon may be placed up to the end of the int range.
        const int64_t ty = int64_t{dest.top} + y;
        for (int x = 0; x < cacheW_; ++x) {
            const int64_t tx = int64_t{dest.left} + x;
            const bool onTarget = target.pixels && tx >= 0 && ty >= 0 && tx < target.width && ty < target.height;
            const uint32_t back = onTarget ? target.pixels[static_cast<ptrdiff_t>(ty) * target.stride + tx] : 0;
            out[x] = Over(drawCache_[static_cast<size_t>(y) * cacheW_ + x], back);
        }
    }
    const TRect d = Bounds(dest.left, dest.top, cacheW_, cacheH_).Intersect(dest);
    if (d.Empty()) return;
    const TCopyMode mode = canvas.CopyMode;
    canvas.CopyMode = TCopyMode::cmSrcCopy;
    canvas.CopyRect(d, composed, TRect{0, 0, d.Width(), d.Height()});
    canvas.CopyMode = mode;
}

}  // namespace skr
