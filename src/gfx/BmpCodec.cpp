// BMP file decoding and encoding for TBitmap.
//
// Reads uncompressed device-independent bitmaps: the 14-byte file header,
// then (through the shared DIB reader) an information header of 12 (core),
// 40 or a later, larger size, the colour table, and rows of 1, 4, 8, 16, 24
// or 32 bits per pixel, bottom-up or top-down. Every size and offset is
// checked against the file before anything is allocated or read, so a
// hostile file gives an error and never a read outside the buffer.
#include <vector>

#include "base/ByteOrder.h"
#include "core/Exception.h"
#include "core/Messages.h"
#include "core/Stream.h"
#include "gfx/Bitmap.h"
#include "gfx/Dib.h"
#include "gfx/Messages.h"

namespace skr {

namespace {

constexpr int64_t kMaxSide = 32768;
constexpr size_t kFileHeaderSize = 14;

[[noreturn]] void Invalid() { throw EInvalidGraphic(msg::InvalidBitmap); }
[[noreturn]] void Truncated() { throw EReadError(msg::ReadError); }

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
    const uint64_t pixelOffset = LoadLE32(data + 10);
    const uint32_t infoSize = LoadLE32(data + kFileHeaderSize);
    if (infoSize != 12 && infoSize < 40) Invalid();
    if (kFileHeaderSize + uint64_t(infoSize) > size) Truncated();
    static constexpr DibRules kRules{.invalid = msg::InvalidBitmap, .maxSide = kMaxSide, .coreHeader = true,
                                     .sixteenBits = true, .planesOfOne = true, .colourAndMask = false};
    const DibHeader h = ReadDibHeader(data + kFileHeaderSize, size - kFileHeaderSize, kRules);
    if (pixelOffset > size || h.stride * uint64_t(h.height) > size - pixelOffset) Truncated();

    DecodedBmp out;
    out.width = h.width;
    out.height = h.height;
    out.monochrome = h.bitsPerPixel == 1;
    out.pixels.resize(static_cast<size_t>(h.width) * static_cast<size_t>(h.height));
    const uint8_t* rows = data + pixelOffset;
    for (int y = 0; y < out.height; ++y) {
        uint32_t* px = out.pixels.data() + static_cast<size_t>(y) * out.width;
        UnpackDibRow(h, rows + h.stride * static_cast<uint64_t>(h.topDown ? y : out.height - 1 - y), px);
        if (h.bitsPerPixel == 32)
            for (int x = 0; x < out.width; ++x) px[x] &= 0xFFFFFF;  // the fourth byte is not a colour
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
    StoreLE32(h + 2, static_cast<uint32_t>(out.size()));
    StoreLE32(h + 10, static_cast<uint32_t>(headers));
    uint8_t* info = h + kFileHeaderSize;
    StoreLE32(info, 40);
    StoreLE32(info + 4, static_cast<uint32_t>(width_));
    StoreLE32(info + 8, static_cast<uint32_t>(height_));
    StoreLE16(info + 12, 1);
    StoreLE16(info + 14, 24);
    StoreLE32(info + 20, static_cast<uint32_t>(imageSize));
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
