// BMP file decoding and encoding for TBitmap.
//
// Reads uncompressed device-independent bitmaps: the 14-byte file header,
// an information header of 12 (core), 40 or a later, larger size, the colour
// table, and rows of 1, 4, 8, 16, 24 or 32 bits per pixel, bottom-up or
// top-down, each padded to 4 bytes. Every size and offset is checked against
// the file before anything is allocated or read, so a hostile file gives an
// error and never a read outside the buffer.
#include <vector>

#include "core/Bytes.h"
#include "core/Exception.h"
#include "core/Stream.h"
#include "gfx/Bitmap.h"

namespace skr {

namespace {

constexpr const char* kInvalidBitmap = "ビットマップイメージが不正です";
constexpr int64_t kMaxSide = 32768;
constexpr size_t kFileHeaderSize = 14;

[[noreturn]] void Invalid() { throw EInvalidGraphic(kInvalidBitmap); }
[[noreturn]] void Truncated() { throw EReadError(msg::ReadError); }

int32_t I32(const uint8_t* p) { return static_cast<int32_t>(U32(p)); }

void PutU16(uint8_t* p, uint32_t v) {
    p[0] = uint8_t(v);
    p[1] = uint8_t(v >> 8);
}
void PutU32(uint8_t* p, uint32_t v) {
    PutU16(p, v);
    PutU16(p + 2, v >> 16);
}

struct DecodedBmp {
    int width = 0;
    int height = 0;
    bool monochrome = false;
    std::vector<uint32_t> pixels;
};

// Decodes a whole BMP file held in bytes.
DecodedBmp DecodeBmp(const std::vector<uint8_t>& bytes) {
    const size_t size = bytes.size();
    const uint8_t* data = bytes.data();
    if (size < 2 || data[0] != 'B' || data[1] != 'M') Invalid();
    if (size < kFileHeaderSize + 4) Truncated();
    const uint64_t pixelOffset = U32(data + 10);
    const uint32_t infoSize = U32(data + kFileHeaderSize);
    const bool core = infoSize == 12;
    if (!core && infoSize < 40) Invalid();
    if (kFileHeaderSize + uint64_t(infoSize) > size) Truncated();
    const uint8_t* info = data + kFileHeaderSize;

    int64_t width, height;
    unsigned planes, bpp;
    uint32_t compression = 0, colorsUsed = 0;
    if (core) {
        width = U16(info + 4);
        height = static_cast<int16_t>(U16(info + 6));
        planes = U16(info + 8);
        bpp = U16(info + 10);
    } else {
        width = I32(info + 4);
        height = I32(info + 8);
        planes = U16(info + 12);
        bpp = U16(info + 14);
        compression = U32(info + 16);
        colorsUsed = U32(info + 32);
    }
    if (planes != 1) Invalid();
    if (compression != 0) Invalid();  // only uncompressed rows (BI_RGB)
    if (bpp != 1 && bpp != 4 && bpp != 8 && bpp != 16 && bpp != 24 && bpp != 32) Invalid();
    const bool topDown = height < 0;
    if (topDown) height = -height;  // int64: no overflow for INT32_MIN
    if (width <= 0 || height <= 0 || width > kMaxSide || height > kMaxSide) Invalid();

    // Colour table: 4 bytes an entry (3 for a core header), right after the
    // information header. It must lie inside the file.
    uint32_t palette[256] = {};
    if (bpp <= 8) {
        const uint64_t maxEntries = 1u << bpp;
        uint64_t entries = colorsUsed ? colorsUsed : maxEntries;
        const uint64_t entrySize = core ? 3 : 4;
        const uint64_t tableStart = kFileHeaderSize + uint64_t(infoSize);
        if (tableStart + entries * entrySize > size) Truncated();
        if (entries > maxEntries) entries = maxEntries;  // extra entries are never indexed
        for (uint64_t i = 0; i < entries; ++i) {
            const uint8_t* e = data + tableStart + i * entrySize;
            palette[i] = uint32_t(e[2]) << 16 | uint32_t(e[1]) << 8 | e[0];
        }
    }

    const uint64_t stride = (uint64_t(width) * bpp + 31) / 32 * 4;
    if (pixelOffset > size || stride * uint64_t(height) > size - pixelOffset) Truncated();

    DecodedBmp out;
    out.width = static_cast<int>(width);
    out.height = static_cast<int>(height);
    out.monochrome = bpp == 1;
    out.pixels.resize(static_cast<size_t>(width) * static_cast<size_t>(height));
    const uint8_t* rows = data + pixelOffset;
    for (int y = 0; y < out.height; ++y) {
        const uint8_t* in = rows + stride * static_cast<uint64_t>(topDown ? y : out.height - 1 - y);
        uint32_t* px = out.pixels.data() + static_cast<size_t>(y) * out.width;
        switch (bpp) {
            case 1:
                for (int x = 0; x < out.width; ++x) px[x] = palette[(in[x >> 3] >> (7 - (x & 7))) & 1];
                break;
            case 4:
                for (int x = 0; x < out.width; ++x) px[x] = palette[(in[x >> 1] >> ((x & 1) ? 0 : 4)) & 0xF];
                break;
            case 8:
                for (int x = 0; x < out.width; ++x) px[x] = palette[in[x]];
                break;
            case 16:  // 5-5-5, the uncompressed 16-bit layout
                for (int x = 0; x < out.width; ++x) {
                    const unsigned v = U16(in + 2 * x);
                    const unsigned r = (v >> 10) & 31, g = (v >> 5) & 31, b = v & 31;
                    px[x] = (r << 3 | r >> 2) << 16 | (g << 3 | g >> 2) << 8 | (b << 3 | b >> 2);
                }
                break;
            case 24:
                for (int x = 0; x < out.width; ++x) {
                    const uint8_t* p = in + 3 * x;
                    px[x] = uint32_t(p[2]) << 16 | uint32_t(p[1]) << 8 | p[0];
                }
                break;
            case 32:
                for (int x = 0; x < out.width; ++x) px[x] = U32(in + 4 * x) & 0xFFFFFF;
                break;
        }
    }
    return out;
}

}  // namespace

void TBitmap::LoadFromStream(TStream& stream) {
    std::vector<uint8_t> bytes(stream.Remaining());
    stream.ReadBuffer(bytes.data(), bytes.size());
    DecodedBmp img = DecodeBmp(bytes);
    // Commit only once everything decoded: a failed load leaves the image as it was.
    width_ = img.width;
    height_ = img.height;
    monochrome_ = img.monochrome;
    pixels_ = std::move(img.pixels);
    file_ = std::move(bytes);
    Changed();
}

void TBitmap::SaveToStream(TStream& stream) const {
    if (!file_.empty()) {
        stream.WriteBuffer(file_.data(), file_.size());
        return;
    }
    if (Empty()) return;
    // Drawn or created in code: a 24-bit bottom-up file.
    const size_t stride = (static_cast<size_t>(width_) * 3 + 3) & ~size_t(3);
    const size_t imageSize = stride * height_;
    const size_t headers = kFileHeaderSize + 40;
    std::vector<uint8_t> out(headers + imageSize, 0);
    uint8_t* h = out.data();
    h[0] = 'B';
    h[1] = 'M';
    PutU32(h + 2, static_cast<uint32_t>(out.size()));
    PutU32(h + 10, static_cast<uint32_t>(headers));
    uint8_t* info = h + kFileHeaderSize;
    PutU32(info, 40);
    PutU32(info + 4, static_cast<uint32_t>(width_));
    PutU32(info + 8, static_cast<uint32_t>(height_));
    PutU16(info + 12, 1);
    PutU16(info + 14, 24);
    PutU32(info + 20, static_cast<uint32_t>(imageSize));
    for (int y = 0; y < height_; ++y) {
        uint8_t* row = out.data() + headers + stride * static_cast<size_t>(height_ - 1 - y);
        const uint32_t* px = Scanline(y);
        for (int x = 0; x < width_; ++x) {
            row[3 * x] = uint8_t(px[x]);
            row[3 * x + 1] = uint8_t(px[x] >> 8);
            row[3 * x + 2] = uint8_t(px[x] >> 16);
        }
    }
    stream.WriteBuffer(out.data(), out.size());
}

}  // namespace skr
