// Checks written files against the layout facts the game depends on.
#include "assetgen.h"

#include <cstddef>
#include <cstdio>
#include <jpeglib.h>

#include <algorithm>
#include <cstring>
#include <set>
#include <stdexcept>

namespace assetgen {

namespace {

// Fields of a written file at given offsets; a field that does not fit
// reads 0. An oracle: the checker reads the files with a reader of its own
// on purpose, not with the program's byte cursor or loaders, so a fault in
// those cannot hide itself in the facts it checks.
struct Reader {
    const Bytes& f;
    bool ok(std::size_t pos, std::size_t n) const { return pos <= f.size() && n <= f.size() - pos; }
    std::uint32_t u8(std::size_t p) const { return ok(p, 1) ? f[p] : 0; }
    std::uint32_t le16(std::size_t p) const { return ok(p, 2) ? f[p] | (f[p + 1] << 8) : 0; }
    std::uint32_t le32(std::size_t p) const {
        return ok(p, 4) ? f[p] | (f[p + 1] << 8) | (f[p + 2] << 16) | (static_cast<std::uint32_t>(f[p + 3]) << 24) : 0;
    }
    std::uint32_t be16(std::size_t p) const { return ok(p, 2) ? (f[p] << 8) | f[p + 1] : 0; }
    bool tag(std::size_t p, const char* t, std::size_t n) const { return ok(p, n) && std::memcmp(&f[p], t, n) == 0; }
};

struct Checker {
    std::string name;
    std::vector<std::string> failures;
    void expect(bool cond, const std::string& what) {
        if (!cond) failures.push_back(name + ": " + what);
    }
    void eq(std::uint32_t got, std::uint32_t want, const std::string& what) {
        expect(got == want, what + " is " + std::to_string(got) + ", want " + std::to_string(want));
    }
};

struct BmpFacts {
    const char* name;
    std::uint32_t fileSize, offset, width, height, bpp, entries, rowBytes, pixelBytes, ppm, clrUsed, clrImportant;
    int frameW;
    std::vector<std::uint32_t> colours; // exact table as 0xRRGGBB, when fixed
};

const std::vector<BmpFacts>& bmpFacts() {
    static const std::vector<BmpFacts> t = {
        {"BitmapBlorp", 103478, 1078, 1600, 64, 8, 256, 1600, 102400, 2834, 0, 0, 64, {}},
        {"BitmapClick", 7018, 118, 600, 23, 4, 16, 300, 6900, 2834, 0, 0, 200,
         {0x000000, 0xFFFFFF, 0xFC0000, 0xDC0000, 0xB40000, 0x980000, 0x850000, 0x6F0000, 0x5B0000, 0x4E0000,
          0x3E0000, 0x2D0000, 0x1D0000, 0x110000, 0x090000, 0x030000}},
        {"BitmapNumber", 2890, 74, 176, 32, 4, 5, 88, 2816, 7872, 5, 5, 16,
         {0x000000, 0xFFFFFF, 0xFF0000, 0x750000, 0xFFFFFF}},
    };
    return t;
}

} // namespace

std::vector<std::string> verifyBmp(const std::string& name, const Bytes& f) {
    Checker c{name, {}};
    const BmpFacts* facts = nullptr;
    for (const auto& b : bmpFacts())
        if (name == b.name) facts = &b;
    if (!facts) throw std::invalid_argument("unknown strip " + name);
    const Reader r{f};
    c.eq(static_cast<std::uint32_t>(f.size()), facts->fileSize, "file length");
    if (f.size() < 54) return c.failures;
    c.expect(r.tag(0, "BM", 2), "signature BM");
    c.eq(r.le32(2), facts->fileSize, "file size field");
    c.eq(r.le16(6), 0, "reserved 1");
    c.eq(r.le16(8), 0, "reserved 2");
    c.eq(r.le32(10), facts->offset, "pixel data offset");
    c.eq(r.le32(14), 40, "information header size");
    c.eq(r.le32(18), facts->width, "width");
    c.eq(r.le32(22), facts->height, "height (bottom-up)");
    c.eq(r.le16(26), 1, "planes");
    c.eq(r.le16(28), facts->bpp, "bits per pixel");
    c.eq(r.le32(30), 0, "compression");
    c.eq(r.le32(34), facts->pixelBytes, "image size");
    c.eq(r.le32(38), facts->ppm, "horizontal resolution");
    c.eq(r.le32(42), facts->ppm, "vertical resolution");
    c.eq(r.le32(46), facts->clrUsed, "colours used");
    c.eq(r.le32(50), facts->clrImportant, "colours important");
    c.eq(14 + 40 + 4 * facts->entries, facts->offset, "colour table ends at the pixel data");
    c.eq(facts->rowBytes * facts->height, facts->pixelBytes, "row length times height");
    c.eq(facts->offset + facts->pixelBytes, facts->fileSize, "pixel data fills the rest of the file");
    if (f.size() != facts->fileSize) return c.failures;
    auto colour = [&](std::uint32_t i) {
        const std::size_t p = 54 + 4 * static_cast<std::size_t>(i);
        return (r.u8(p + 2) << 16) | (r.u8(p + 1) << 8) | r.u8(p);
    };
    for (std::uint32_t i = 0; i < facts->entries; ++i) c.eq(r.u8(54 + 4 * i + 3), 0, "colour table pad byte " + std::to_string(i));
    c.eq(colour(0), 0x000000, "colour 0 (black)");
    c.eq(colour(1), 0xFFFFFF, "colour 1 (white)");
    for (std::size_t i = 0; i < facts->colours.size(); ++i)
        c.eq(colour(static_cast<std::uint32_t>(i)), facts->colours[i], "colour " + std::to_string(i));
    // Pixel access, y counted from the top.
    auto pixel = [&](std::uint32_t x, std::uint32_t y) {
        const std::size_t row = facts->offset + static_cast<std::size_t>(facts->height - 1 - y) * facts->rowBytes;
        if (facts->bpp == 8) return r.u8(row + x);
        const std::uint32_t b = r.u8(row + x / 2);
        return (x % 2) ? (b & 0x0F) : (b >> 4);
    };
    bool inTable = true;
    for (std::uint32_t y = 0; y < facts->height; ++y)
        for (std::uint32_t x = 0; x < facts->width; ++x) inTable = inTable && pixel(x, y) < facts->entries;
    c.expect(inTable, "every pixel indexes the colour table");
    c.eq(colour(pixel(0, facts->height - 1)), 0x000000, "bottom-left pixel colour");
    const std::uint32_t frames = facts->width / static_cast<std::uint32_t>(facts->frameW);
    for (std::uint32_t fr = 0; fr < frames; ++fr) {
        const std::uint32_t x0 = fr * static_cast<std::uint32_t>(facts->frameW);
        std::uint32_t minx = 9999, miny = 9999, maxx = 0, maxy = 0;
        bool border = true;
        for (std::uint32_t y = 0; y < facts->height; ++y)
            for (std::uint32_t x = 0; x < static_cast<std::uint32_t>(facts->frameW); ++x) {
                const bool black = colour(pixel(x0 + x, y)) == 0;
                if (!black) {
                    minx = std::min(minx, x);
                    maxx = std::max(maxx, x);
                    miny = std::min(miny, y);
                    maxy = std::max(maxy, y);
                }
                const bool edge = x == 0 || y == 0 || x + 1 == static_cast<std::uint32_t>(facts->frameW) || y + 1 == facts->height;
                if (edge && !black) border = false;
            }
        const bool empty = minx > maxx;
        if (name == "BitmapBlorp") {
            if (fr == 0) {
                c.expect(empty, "frame 0 is all black");
            } else {
                c.expect(!empty && maxy - miny + 1 >= 48 && maxx - minx + 1 >= 40,
                         "frame " + std::to_string(fr) + " fills most of its cell");
            }
        } else {
            c.expect(!empty, "frame " + std::to_string(fr) + " is not blank");
            if (name == "BitmapNumber") c.expect(border, "frame " + std::to_string(fr) + " has a black border");
        }
    }
    return c.failures;
}

std::vector<std::string> verifyWav(const std::string& name, const Bytes& f) {
    struct Facts {
        const char* name;
        std::uint32_t riff, dataBytes, samples;
        bool fact;
    };
    static const Facts table[] = {{"WaveStart", 44952, 44916, 22458, false},
                                  {"WaveBucha", 25786, 25750, 12875, false},
                                  {"WaveBofu", 3924, 3888, 1944, false},
                                  {"WaveEnd", 91914, 91866, 45933, true}};
    const Facts* t = nullptr;
    for (const auto& e : table)
        if (name == e.name) t = &e;
    if (!t) throw std::invalid_argument("unknown clip " + name);
    Checker c{name, {}};
    const Reader r{f};
    c.eq(static_cast<std::uint32_t>(f.size()), t->riff + 8, "file length");
    c.expect(r.tag(0, "RIFF", 4), "RIFF form");
    c.eq(r.le32(4), t->riff, "RIFF size field");
    c.expect(r.tag(8, "WAVE", 4), "form type WAVE");
    c.expect(r.tag(12, "fmt ", 4), "first chunk fmt");
    c.eq(r.le32(16), 16, "fmt chunk size");
    c.eq(r.le16(20), 1, "format tag PCM");
    c.eq(r.le16(22), 1, "channels");
    c.eq(r.le32(24), 22050, "samples per second");
    c.eq(r.le32(28), 44100, "bytes per second");
    c.eq(r.le16(32), 2, "block alignment");
    c.eq(r.le16(34), 16, "bits per sample");
    std::size_t p = 36;
    if (t->fact) {
        c.expect(r.tag(p, "fact", 4), "second chunk fact");
        c.eq(r.le32(p + 4), 4, "fact chunk size");
        c.eq(r.le32(p + 8), t->samples, "fact sample count");
        p += 12;
    }
    c.expect(r.tag(p, "data", 4), "data chunk follows");
    c.eq(r.le32(p + 4), t->dataBytes, "data chunk size");
    c.eq(t->dataBytes / 2, t->samples, "sample count");
    c.eq(static_cast<std::uint32_t>(p + 8 + t->dataBytes), static_cast<std::uint32_t>(f.size()), "data chunk ends the file");
    if (f.size() == p + 8 + t->dataBytes) {
        int peak = 0;
        for (std::size_t i = p + 8; i + 1 < f.size(); i += 2)
            peak = std::max(peak, std::abs(static_cast<int>(static_cast<std::int16_t>(r.le16(i)))));
        c.expect(peak > 8000 && peak < 32000, "peak level " + std::to_string(peak) + " is audible and below full scale");
    }
    return c.failures;
}

std::vector<std::string> verifyIco(const Bytes& f) {
    Checker c{"Skrundle.ico", {}};
    const Reader r{f};
    c.eq(static_cast<std::uint32_t>(f.size()), 766, "file length");
    c.eq(r.le16(0), 0, "reserved");
    c.eq(r.le16(2), 1, "type");
    c.eq(r.le16(4), 1, "count");
    c.eq(r.u8(6), 32, "entry width");
    c.eq(r.u8(7), 32, "entry height");
    c.eq(r.u8(8), 16, "entry colour count");
    c.eq(r.u8(9), 0, "entry reserved");
    c.eq(r.le16(10), 0, "entry planes");
    c.eq(r.le16(12), 0, "entry bit count");
    c.eq(r.le32(14), 744, "entry image size");
    c.eq(r.le32(18), 22, "entry image offset");
    c.eq(r.le32(22), 40, "header size");
    c.eq(r.le32(26), 32, "header width");
    c.eq(r.le32(30), 64, "header height");
    c.eq(r.le16(34), 1, "header planes");
    c.eq(r.le16(36), 4, "header bits per pixel");
    c.eq(r.le32(38), 0, "header compression");
    c.eq(r.le32(42), 640, "header image size");
    c.eq(22 + 40 + 64 + 512 + 128, 766, "colour table, pixels and mask fill the file");
    // Something must show: some opaque pixels, some transparent ones.
    int opaque = 0;
    for (std::size_t i = 22 + 40 + 64 + 512; i < 766 && i < f.size(); ++i)
        for (int b = 0; b < 8; ++b) opaque += (f[i] >> b) & 1 ? 0 : 1;
    c.expect(opaque > 200 && opaque < 1000, "mask leaves a figure of " + std::to_string(opaque) + " pixels");
    return c.failures;
}

namespace {

struct DecodeError : jpeg_error_mgr {};
[[noreturn]] void onDecodeError(j_common_ptr cinfo) {
    char text[JMSG_LENGTH_MAX];
    (*cinfo->err->format_message)(cinfo, text);
    throw std::runtime_error(text);
}

} // namespace

std::vector<std::string> verifyJpeg(const std::string& name, const Bytes& f) {
    struct Facts {
        const char* name;
        std::uint32_t length;
    };
    static const Facts table[] = {
        {"Iperfect", 40955}, {"Inobody", 44058}, {"Iwhy", 37443}, {"Iwinner", 40726}, {"Igoback", 40134}};
    const Facts* t = nullptr;
    for (const auto& e : table)
        if (name == e.name) t = &e;
    if (!t) throw std::invalid_argument("unknown picture " + name);
    Checker c{name, {}};
    const Reader r{f};
    c.eq(static_cast<std::uint32_t>(f.size()), t->length, "JPEG length");
    c.expect(r.be16(0) == 0xFFD8, "starts with SOI");
    c.expect(f.size() >= 4 && r.be16(f.size() - 2) == 0xFFD9, "ends with EOI");
    // Walk the marker segments up to the scan, then over the entropy-coded
    // data to the end.
    std::vector<int> order;
    std::set<int> dqt;
    std::set<int> dht;
    int scans = 0, sof = 0;
    std::size_t p = 2;
    bool done = false;
    while (!done && r.ok(p, 4)) {
        if (f[p] != 0xFF) {
            c.expect(false, "marker expected at " + std::to_string(p));
            break;
        }
        const int m = f[p + 1];
        if (m == 0xD9) break;
        const std::size_t len = r.be16(p + 2);
        const std::size_t s = p + 4; // segment payload
        if (len < 2 || !r.ok(p + 2, len)) {
            c.expect(false, "segment length at " + std::to_string(p));
            break;
        }
        order.push_back(m);
        switch (m) {
        case 0xE0:
            c.expect(r.tag(s, "JFIF\0", 5), "APP0 is JFIF");
            c.eq(r.be16(s + 5), 0x0102, "JFIF version");
            c.eq(r.u8(s + 7), 1, "density unit (dots per inch)");
            c.eq(r.be16(s + 8), 96, "horizontal density");
            c.eq(r.be16(s + 10), 96, "vertical density");
            c.eq(r.u8(s + 12) * r.u8(s + 13), 0, "no thumbnail");
            break;
        case 0xED: c.expect(r.tag(s, "Photoshop 3.0\0", 14), "APP13 identifier"); break;
        case 0xEE:
            c.expect(r.tag(s, "Adobe", 5), "APP14 is Adobe");
            c.eq(r.be16(s + 5), 100, "Adobe version");
            c.eq(r.u8(s + 11), 1, "Adobe colour transform");
            break;
        case 0xDB:
            for (std::size_t q = s; q < p + 2 + len;) {
                c.eq(r.u8(q) >> 4, 0, "quantisation table precision (8 bits)");
                dqt.insert(static_cast<int>(r.u8(q) & 15));
                q += 65;
            }
            break;
        case 0xC4:
            for (std::size_t q = s; q + 17 <= p + 2 + len;) {
                dht.insert(static_cast<int>(r.u8(q)));
                std::size_t n = 0;
                for (int i = 1; i <= 16; ++i) n += r.u8(q + static_cast<std::size_t>(i));
                q += 17 + n;
            }
            break;
        case 0xC0:
            ++sof;
            c.eq(r.u8(s), 8, "sample precision");
            c.eq(r.be16(s + 1), 289, "height");
            c.eq(r.be16(s + 3), 385, "width");
            c.eq(r.u8(s + 5), 3, "components");
            for (std::uint32_t i = 0; i < 3; ++i) {
                c.eq(r.u8(s + 6 + 3 * i), i + 1, "component id");
                c.eq(r.u8(s + 7 + 3 * i), 0x11, "sampling of component " + std::to_string(i + 1));
                c.eq(r.u8(s + 8 + 3 * i), i == 0 ? 0 : 1, "quantisation table of component " + std::to_string(i + 1));
            }
            break;
        case 0xDD: c.eq(r.be16(s), 49, "restart interval"); break;
        case 0xDA: {
            ++scans;
            c.eq(r.u8(s), 3, "components in the scan");
            for (std::uint32_t i = 0; i < 3; ++i) {
                c.eq(r.u8(s + 1 + 2 * i), i + 1, "scan component id");
                c.eq(r.u8(s + 2 + 2 * i), i == 0 ? 0x00 : 0x11, "Huffman tables of scan component " + std::to_string(i + 1));
            }
            c.eq(r.u8(s + 7), 0, "spectral start");
            c.eq(r.u8(s + 8), 63, "spectral end");
            c.eq(r.u8(s + 9), 0, "successive approximation");
            // Skip entropy-coded data: stuffed zeros and restart markers.
            std::size_t q = p + 2 + len;
            while (q + 1 < f.size() && !(f[q] == 0xFF && f[q + 1] != 0 && !(f[q + 1] >= 0xD0 && f[q + 1] <= 0xD7))) ++q;
            c.expect(q + 2 == f.size() && r.be16(q) == 0xFFD9, "the scan runs to the end-of-image marker");
            done = true;
            continue;
        }
        default:
            c.expect(m >= 0xE0 && m <= 0xEF, "unexpected marker " + std::to_string(m));
            break;
        }
        p += 2 + len;
    }
    c.expect(!order.empty() && order.front() == 0xE0, "JFIF segment first");
    const auto pos = [&](int m) { return std::find(order.begin(), order.end(), m) - order.begin(); };
    c.expect(pos(0xEE) < static_cast<std::ptrdiff_t>(order.size()), "Adobe segment present");
    c.expect(pos(0xE0) < pos(0xED) && pos(0xED) < pos(0xEE), "JFIF, APP13, Adobe in this order");
    c.expect(dqt == std::set<int>{0, 1}, "two quantisation tables 0 and 1");
    c.expect(dht == std::set<int>{0x00, 0x01, 0x10, 0x11}, "four Huffman tables");
    c.eq(static_cast<std::uint32_t>(sof), 1, "one baseline frame header");
    c.eq(static_cast<std::uint32_t>(scans), 1, "one scan");
    // Decode it back.
    jpeg_decompress_struct d{};
    DecodeError err{};
    d.err = jpeg_std_error(&err);
    err.error_exit = onDecodeError;
    jpeg_create_decompress(&d);
    try {
        jpeg_mem_src(&d, f.data(), static_cast<unsigned long>(f.size()));
        jpeg_read_header(&d, TRUE);
        c.eq(d.image_width, 385, "decoded width");
        c.eq(d.image_height, 289, "decoded height");
        c.eq(static_cast<std::uint32_t>(d.num_components), 3, "decoded components");
        c.expect(d.jpeg_color_space == JCS_YCbCr, "decoded colour space YCbCr");
        c.expect(d.saw_JFIF_marker && d.saw_Adobe_marker && d.Adobe_transform == 1, "decoder sees JFIF and Adobe");
        c.expect(!d.progressive_mode, "sequential");
        c.eq(d.restart_interval, 49, "decoded restart interval");
        jpeg_start_decompress(&d);
        std::vector<std::uint8_t> row(static_cast<std::size_t>(d.output_width) * d.output_components);
        while (d.output_scanline < d.output_height) {
            JSAMPROW rp = row.data();
            jpeg_read_scanlines(&d, &rp, 1);
        }
        jpeg_finish_decompress(&d);
        c.eq(static_cast<std::uint32_t>(err.num_warnings), 0, "decoder warnings");
    } catch (const std::exception& e) {
        c.expect(false, std::string("decoding failed: ") + e.what());
    }
    jpeg_destroy_decompress(&d);
    return c.failures;
}

} // namespace assetgen
