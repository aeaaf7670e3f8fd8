// Writers for the four file formats the game carries.
#include "assetgen.h"

// libjpeg's header needs size_t and FILE declared first.
#include <cstddef>
#include <cstdio>
#include <jpeglib.h>

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <cstring>
#include <stdexcept>

namespace assetgen {

namespace {

void put16(Bytes& b, std::uint32_t v) {
    b.push_back(static_cast<std::uint8_t>(v));
    b.push_back(static_cast<std::uint8_t>(v >> 8));
}
void put32(Bytes& b, std::uint32_t v) {
    put16(b, v & 0xFFFF);
    put16(b, v >> 16);
}
void putTag(Bytes& b, const char* tag) {
    for (int i = 0; i < 4; ++i) b.push_back(static_cast<std::uint8_t>(tag[i]));
}

std::uint8_t channel(float v) { return static_cast<std::uint8_t>(std::lround(std::clamp(v, 0.f, 1.f) * 255.f)); }

void putPalette(Bytes& b, const std::vector<Rgb>& pal, std::size_t entries) {
    for (std::size_t i = 0; i < entries; ++i) {
        const Rgb c = i < pal.size() ? pal[i] : Rgb{};
        b.push_back(channel(c.b));
        b.push_back(channel(c.g));
        b.push_back(channel(c.r));
        b.push_back(0);
    }
}

// Pixel rows bottom-up, packed at 4 or 8 bits, padded to 4 bytes.
void putPixels(Bytes& b, const IndexedImage& img, int bpp) {
    const std::size_t rowBytes = ((static_cast<std::size_t>(img.w) * bpp + 31) / 32) * 4;
    for (int y = img.h - 1; y >= 0; --y) {
        Bytes row(rowBytes, 0);
        for (int x = 0; x < img.w; ++x) {
            std::uint8_t v = img.idx[static_cast<std::size_t>(y) * img.w + x];
            if (bpp == 8) {
                row[static_cast<std::size_t>(x)] = v;
            } else {
                v &= 0x0F;
                row[static_cast<std::size_t>(x) / 2] |= static_cast<std::uint8_t>((x % 2) ? v : v << 4);
            }
        }
        b.insert(b.end(), row.begin(), row.end());
    }
}

} // namespace

Bytes writeBmp(const IndexedImage& img, const BmpParams& p) {
    const std::uint32_t rowBytes = ((static_cast<std::uint32_t>(img.w) * p.bpp + 31) / 32) * 4;
    const std::uint32_t pixelBytes = rowBytes * static_cast<std::uint32_t>(img.h);
    const std::uint32_t offset = 14 + 40 + 4 * static_cast<std::uint32_t>(p.paletteEntries);
    Bytes b;
    b.push_back('B');
    b.push_back('M');
    put32(b, offset + pixelBytes);
    put16(b, 0);
    put16(b, 0);
    put32(b, offset);
    put32(b, 40);
    put32(b, static_cast<std::uint32_t>(img.w));
    put32(b, static_cast<std::uint32_t>(img.h));
    put16(b, 1);
    put16(b, static_cast<std::uint32_t>(p.bpp));
    put32(b, 0); // uncompressed
    put32(b, pixelBytes);
    put32(b, static_cast<std::uint32_t>(p.pxPerMetre));
    put32(b, static_cast<std::uint32_t>(p.pxPerMetre));
    put32(b, p.clrUsed);
    put32(b, p.clrImportant);
    putPalette(b, img.palette, static_cast<std::size_t>(p.paletteEntries));
    putPixels(b, img, p.bpp);
    return b;
}

Bytes writeWav(const std::vector<std::int16_t>& samples, bool withFact) {
    const std::uint32_t dataBytes = static_cast<std::uint32_t>(samples.size() * 2);
    const std::uint32_t riffSize = 4 + 8 + 16 + (withFact ? 8 + 4 : 0) + 8 + dataBytes;
    Bytes b;
    putTag(b, "RIFF");
    put32(b, riffSize);
    putTag(b, "WAVE");
    putTag(b, "fmt ");
    put32(b, 16);
    put16(b, 1);     // PCM
    put16(b, 1);     // mono
    put32(b, 22050); // samples per second
    put32(b, 44100); // bytes per second
    put16(b, 2);     // block alignment
    put16(b, 16);    // bits per sample
    if (withFact) {
        putTag(b, "fact");
        put32(b, 4);
        put32(b, static_cast<std::uint32_t>(samples.size()));
    }
    putTag(b, "data");
    put32(b, dataBytes);
    for (std::int16_t s : samples) put16(b, static_cast<std::uint16_t>(s));
    return b;
}

Bytes writeIco(const IndexedImage& icon, const std::vector<bool>& mask) {
    Bytes b;
    put16(b, 0); // reserved
    put16(b, 1); // icon
    put16(b, 1); // one image
    b.push_back(32);
    b.push_back(32);
    b.push_back(16);
    b.push_back(0);
    put16(b, 0); // planes
    put16(b, 0); // bit count
    put32(b, 744);
    put32(b, 22);
    put32(b, 40);
    put32(b, 32);
    put32(b, 64); // colour and mask halves
    put16(b, 1);
    put16(b, 4);
    put32(b, 0);
    put32(b, 640);
    put32(b, 0);
    put32(b, 0);
    put32(b, 0);
    put32(b, 0);
    putPalette(b, icon.palette, 16);
    putPixels(b, icon, 4);
    for (int y = 31; y >= 0; --y) {
        std::uint8_t row[4] = {0, 0, 0, 0};
        for (int x = 0; x < 32; ++x)
            if (mask[static_cast<std::size_t>(y) * 32 + x]) row[x / 8] |= static_cast<std::uint8_t>(0x80 >> (x % 8));
        b.insert(b.end(), row, row + 4);
    }
    return b;
}

// ---- JPEG ----------------------------------------------------------------

namespace {

struct JpegError : jpeg_error_mgr {
    char text[JMSG_LENGTH_MAX];
};

[[noreturn]] void onJpegError(j_common_ptr cinfo) {
    auto* err = static_cast<JpegError*>(cinfo->err);
    (*cinfo->err->format_message)(cinfo, err->text);
    throw std::runtime_error(std::string("libjpeg: ") + err->text);
}

// Encodes with the given quality; `padding` zero bytes follow the APP13
// identifier, or no APP13 segment at all when padding < 0.
Bytes encode(const Image& img, int quality, long padding) {
    jpeg_compress_struct c{};
    JpegError err{};
    c.err = jpeg_std_error(&err);
    err.error_exit = onJpegError;
    unsigned char* mem = nullptr;
    unsigned long memSize = 0;
    Bytes out;
    jpeg_create_compress(&c);
    try {
        jpeg_mem_dest(&c, &mem, &memSize);
        c.image_width = static_cast<JDIMENSION>(img.w);
        c.image_height = static_cast<JDIMENSION>(img.h);
        c.input_components = 3;
        c.in_color_space = JCS_RGB;
        jpeg_set_defaults(&c);
        jpeg_set_colorspace(&c, JCS_YCbCr);
        jpeg_set_quality(&c, quality, TRUE);
        for (int i = 0; i < 3; ++i) {
            c.comp_info[i].h_samp_factor = 1;
            c.comp_info[i].v_samp_factor = 1;
        }
        c.write_JFIF_header = TRUE;
        c.JFIF_major_version = 1;
        c.JFIF_minor_version = 2;
        c.density_unit = 1;
        c.X_density = 96;
        c.Y_density = 96;
        // The Adobe segment is written by hand below so that it follows the
        // metadata segment, the order the game's pictures use.
        c.write_Adobe_marker = FALSE;
        c.optimize_coding = FALSE;
        c.restart_interval = 49;
        c.dct_method = JDCT_ISLOW;
        jpeg_start_compress(&c, TRUE);
        if (padding >= 0) {
            Bytes app13(14 + static_cast<std::size_t>(padding), 0);
            std::memcpy(app13.data(), "Photoshop 3.0", 14);
            jpeg_write_marker(&c, JPEG_APP0 + 13, app13.data(), static_cast<unsigned>(app13.size()));
        }
        const std::uint8_t adobe[12] = {'A', 'd', 'o', 'b', 'e', 0, 100, 0, 0, 0, 0, 1};
        jpeg_write_marker(&c, JPEG_APP0 + 14, adobe, sizeof adobe);
        std::vector<std::uint8_t> row(static_cast<std::size_t>(img.w) * 3);
        while (c.next_scanline < c.image_height) {
            const int y = static_cast<int>(c.next_scanline);
            for (int x = 0; x < img.w; ++x) {
                const Rgb& p = img.at(x, y);
                row[static_cast<std::size_t>(x) * 3] = channel(p.r);
                row[static_cast<std::size_t>(x) * 3 + 1] = channel(p.g);
                row[static_cast<std::size_t>(x) * 3 + 2] = channel(p.b);
            }
            JSAMPROW r = row.data();
            jpeg_write_scanlines(&c, &r, 1);
        }
        jpeg_finish_compress(&c);
        out.assign(mem, mem + memSize);
    } catch (...) {
        jpeg_destroy_compress(&c);
        std::free(mem);
        throw;
    }
    jpeg_destroy_compress(&c);
    std::free(mem);
    return out;
}

} // namespace

Bytes writeJpeg(const Image& img, std::size_t targetLength, int* qualityUsed) {
    // The smallest metadata segment: marker, length and identifier.
    constexpr long kApp13Min = 2 + 2 + 14;
    constexpr long kMaxPadding = 65533 - 14;
    const long target = static_cast<long>(targetLength);
    for (int q = 100; q >= 10; --q) {
        const long base = static_cast<long>(encode(img, q, -1).size());
        const long padding = target - base - kApp13Min;
        if (padding < 0 || padding > kMaxPadding) continue;
        Bytes out = encode(img, q, padding);
        if (out.size() != targetLength) throw std::runtime_error("JPEG padding did not reach the target length");
        if (qualityUsed) *qualityUsed = q;
        return out;
    }
    throw std::runtime_error("no JPEG quality fits the target length");
}

} // namespace assetgen
