// Writes the seed corpora of the fuzz targets, one folder per target, from
// the committed assets and the program's assembled form definition:
//   skr_fuzz_seeds <assets dir> <TFORM1.bin> <output dir>
// Besides the files themselves: small images and clips of every layout the
// readers take (so the fuzzers start from quick inputs that reach each
// decoding path), and variants of the window's definition written with the
// project's writer (tiny images, every picture kind, shown pictures, keyed
// strips, a fast timer, a component left out).
#include <sys/stat.h>

#include <cstdio>
#include <fstream>
#include <memory>
#include <string>
#include <vector>

#include "app/Image.h"
#include "app/Timer.h"
#include "components/BmpList.h"
#include "components/WavePlay.h"
#include "core/Exception.h"
#include "core/Stream.h"
#include "formdef/FormReader.h"
#include "formdef/FormWriter.h"
#include "game/Unit1.h"
#include "gfx/Bitmap.h"
#include "gfx/Icon.h"
#include "gfx/JPEGImage.h"
#include "support/BmpImages.h"
#include "support/Files.h"
#include "support/JpegImages.h"
#include "support/WaveImages.h"

namespace {

using namespace skr;
using namespace skr::test;
using Bytes = std::vector<uint8_t>;

std::string gOut;

void Save(const std::string& target, const std::string& name, const Bytes& bytes) {
    const std::string dir = gOut + "/" + target;
    mkdir(gOut.c_str(), 0777);
    mkdir(dir.c_str(), 0777);
    const std::string path = dir + "/" + name;
    std::ofstream out(path, std::ios::binary);
    out.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
    if (!out) throw Exception("cannot write " + path);
}

uint32_t Pattern(int x, int y) { return uint32_t(x * 37 + y * 11) * 0x010307u & 0xFFFFFF; }

// --- BMP files -------------------------------------------------------------------

// A w x h file of bpp bits per pixel: a 40-byte (or core 12-byte, or larger
// later) information header, a palette of `colors` entries for bpp <= 8.
Bytes Bmp(int w, int h, int bpp, bool topDown = false, int infoSize = 40, uint32_t colors = 0) {
    const bool core = infoSize == 12;
    const uint32_t entries = bpp <= 8 ? (colors ? colors : 1u << bpp) : 0;
    const size_t palette = entries * (core ? 3 : 4);
    const size_t stride = DibStride(w, bpp);
    const size_t offset = 14 + infoSize + palette;
    Bytes b(offset + stride * h, 0);
    b[0] = 'B';
    b[1] = 'M';
    Put32At(b, 2, static_cast<uint32_t>(b.size()));
    Put32At(b, 10, static_cast<uint32_t>(offset));
    if (core) {
        Put32At(b, 14, 12);
        Put16At(b, 18, w);
        Put16At(b, 20, static_cast<uint16_t>(topDown ? -h : h));
        Put16At(b, 22, 1);
        Put16At(b, 24, bpp);
    } else {
        PutInfoHeader(b, 14, w, topDown ? -h : h, bpp);
        Put32At(b, 14, infoSize);
        Put32At(b, 14 + 32, colors);
    }
    for (uint32_t i = 0; i < entries; ++i) {
        uint8_t* e = b.data() + 14 + infoSize + i * (core ? 3 : 4);
        e[0] = uint8_t(i * 50), e[1] = uint8_t(255 - i * 20), e[2] = uint8_t(i * 90);
    }
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x) {
            const uint32_t p = Pattern(x, y);
            const uint32_t v = bpp <= 8 ? p % entries : bpp == 16 ? (p >> 3 & 0x1F) | (p >> 6 & 0x3E0) | (p >> 9 & 0x7C00) : p;
            if (bpp == 16) Put16At(b, offset + stride * y + 2 * x, v);
            else PackPixel(b.data() + offset + stride * y, x, bpp, v);
        }
    return b;
}

void BmpSeeds(const std::string& assets) {
    for (const char* name : {"BitmapBlorp", "BitmapClick", "BitmapNumber"})
        Save("fuzz_bmp", std::string(name) + ".bmp", ReadFile(assets + "/" + name + ".bmp"));
    for (int bpp : {1, 4, 8, 16, 24, 32}) Save("fuzz_bmp", "bpp" + std::to_string(bpp) + ".bmp", Bmp(7, 3, bpp));
    Save("fuzz_bmp", "topdown8.bmp", Bmp(5, 4, 8, true));
    Save("fuzz_bmp", "core4.bmp", Bmp(9, 2, 4, false, 12));
    Save("fuzz_bmp", "core24.bmp", Bmp(3, 3, 24, true, 12));
    Save("fuzz_bmp", "v5header.bmp", Bmp(4, 4, 8, false, 124, 3));
    Save("fuzz_bmp", "fewcolors1.bmp", Bmp(17, 2, 1, false, 40, 1));
    // Drawn in code: the 24-bit file the bitmap writes itself.
    TBitmap drawn;
    drawn.SetSize(6, 5);
    for (int y = 0; y < 5; ++y)
        for (int x = 0; x < 6; ++x) drawn.Scanline(y)[x] = Pattern(x, y);
    TMemoryStream file;
    drawn.SaveToStream(file);
    Save("fuzz_bmp", "written24.bmp", file.Bytes());
}

// --- icon files ---------------------------------------------------------------

struct IconImage {
    int w, h, bpp;
    bool alpha = false;  // 32 bits: pixels with their own alpha
    bool mask = true;    // the AND mask after the colour rows
    bool png = false;    // a PNG signature instead of a DIB
};

Bytes IconDib(const IconImage& im) {
    if (im.png) return {0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n', 0, 0, 0, 13, 'I', 'H', 'D', 'R', 0, 0, 0, 16};
    const uint32_t entries = im.bpp <= 8 ? 1u << im.bpp : 0;
    const size_t xorStride = DibStride(im.w, im.bpp), andStride = DibStride(im.w, 1);
    const size_t pixels = 40 + 4 * entries;
    Bytes b(pixels + xorStride * im.h + (im.mask ? andStride * im.h : 0), 0);
    PutInfoHeader(b, 0, im.w, 2 * im.h, im.bpp);
    for (uint32_t i = 0; i < entries; ++i) {
        b[40 + 4 * i] = uint8_t(i * 70);
        b[40 + 4 * i + 1] = uint8_t(i * 13);
        b[40 + 4 * i + 2] = uint8_t(255 - i);
    }
    for (int y = 0; y < im.h; ++y)
        for (int x = 0; x < im.w; ++x) {
            uint32_t v = Pattern(x, y);
            if (im.bpp <= 8) v %= entries;
            if (im.bpp == 32 && im.alpha) v |= uint32_t((x * 255) / (im.w > 1 ? im.w - 1 : 1)) << 24;
            PackPixel(b.data() + pixels + xorStride * y, x, im.bpp, v);
            if (im.mask && (x + y) % 3 == 0) PackPixel(b.data() + pixels + xorStride * im.h + andStride * y, x, 1, 1);
        }
    return b;
}

Bytes Icon(const std::vector<IconImage>& images) {
    Bytes b(6 + 16 * images.size(), 0);
    Put16At(b, 2, 1);
    Put16At(b, 4, static_cast<uint32_t>(images.size()));
    for (size_t i = 0; i < images.size(); ++i) {
        const IconImage& im = images[i];
        const Bytes dib = IconDib(im);
        const size_t d = 6 + 16 * i;
        b[d] = uint8_t(im.w);
        b[d + 1] = uint8_t(im.h);
        b[d + 2] = im.bpp <= 8 ? uint8_t(1u << im.bpp) : 0;
        Put16At(b, d + 4, 1);
        Put16At(b, d + 6, i % 2 ? 0 : im.bpp);  // some directories leave the bit count 0
        Put32At(b, d + 8, static_cast<uint32_t>(dib.size()));
        Put32At(b, d + 12, static_cast<uint32_t>(b.size()));
        b.insert(b.end(), dib.begin(), dib.end());
    }
    return b;
}

void IconSeeds(const std::string& assets) {
    Save("fuzz_icon", "Skrundle.ico", ReadFile(assets + "/Skrundle.ico"));
    for (int bpp : {1, 4, 8, 24, 32}) Save("fuzz_icon", "bpp" + std::to_string(bpp) + ".ico", Icon({{9, 7, bpp}}));
    Save("fuzz_icon", "alpha32.ico", Icon({{8, 8, 32, true}}));
    Save("fuzz_icon", "nomask32.ico", Icon({{6, 5, 32, true, false}}));
    Save("fuzz_icon", "several.ico", Icon({{16, 16, 4}, {32, 32, 8}, {32, 32, 1}, {48, 48, 24}, {20, 20, 32, true}}));
    Save("fuzz_icon", "png.ico", Icon({{16, 16, 32, false, true, true}, {16, 16, 8}}));
    Save("fuzz_icon", "empty-directory.ico", Icon({}));
}

// --- JPEG files ---------------------------------------------------------------

Bytes SmallJpeg(int w, int h, const JpegOptions& o = {}) { return EncodeJpeg(w, h, Pattern, o); }

void JpegSeeds(const std::string& assets) {
    for (const char* name : {"Iperfect", "Inobody", "Iwhy", "Iwinner", "Igoback"})
        Save("fuzz_jpeg", std::string(name) + ".jpg", ReadFile(assets + "/" + name + ".jpg"));
    Save("fuzz_jpeg", "baseline.jpg", SmallJpeg(16, 16, {.quality = 75}));
    Save("fuzz_jpeg", "grey.jpg", SmallJpeg(13, 9, {.quality = 80, .grey = true}));
    Save("fuzz_jpeg", "progressive.jpg", SmallJpeg(24, 17, {.quality = 70, .progressive = true}));
    Save("fuzz_jpeg", "grey-progressive.jpg", SmallJpeg(8, 8, {.quality = 60, .grey = true, .progressive = true}));
    Save("fuzz_jpeg", "full-chroma.jpg", SmallJpeg(11, 5, {.quality = 90, .fullChroma = true}));
    Save("fuzz_jpeg", "restarts.jpg", SmallJpeg(40, 16, {.quality = 50, .restartInterval = 1}));
    Save("fuzz_jpeg", "cmyk.jpg", SmallJpeg(9, 9, {.quality = 75, .cmyk = true}));
}

// --- WAVE files ---------------------------------------------------------------

Bytes Samples(size_t frames, const WaveFormat& f) {
    Bytes s;
    const size_t bytes = frames * f.channels * (f.bits / 8);
    for (size_t i = 0; i < bytes; ++i) s.push_back(uint8_t(i * 7 + (i >> 3) * 31));
    if (f.formatTag == 3)  // small floats: a quiet wave
        for (size_t i = 0; i + 3 < s.size(); i += 4) s[i + 3] = (i & 4) ? 0xBC : 0x3C, s[i + 2] = 0x20;
    return s;
}

void WaveSeeds(const std::string& assets) {
    for (const char* name : {"WaveStart", "WaveBucha", "WaveBofu", "WaveEnd"})
        Save("fuzz_wave", std::string(name) + ".wav", ReadFile(assets + "/" + name + ".wav"));
    struct Variant { const char* name; WaveFormat f; size_t frames; };
    const Variant variants[] = {
        {"device.wav", {}, 300},
        {"u8-11025.wav", {.rate = 11025, .bits = 8}, 200},
        {"stereo-44100.wav", {.channels = 2, .rate = 44100}, 400},
        {"s32-8000.wav", {.rate = 8000, .bits = 32}, 100},
        {"float-48000.wav", {.formatTag = 3, .channels = 2, .rate = 48000, .bits = 32}, 300},
        {"fact-22050.wav", {.fact = true}, 100},
        {"seven-1000.wav", {.channels = 7, .rate = 1000, .bits = 8}, 50},
        {"s16-192000.wav", {.rate = 192000}, 500},
    };
    for (const Variant& v : variants) Save("fuzz_wave", v.name, WaveImage(Samples(v.frames, v.f), v.f));
    // A chunk of odd length (padded) before the data, and a data size
    // running past the end of the image.
    Bytes odd = WaveImage(Samples(60, {}), {});
    const Bytes list = {'L', 'I', 'S', 'T', 3, 0, 0, 0, 'a', 'b', 'c', 0};
    odd.insert(odd.begin() + 36, list.begin(), list.end());
    Put32At(odd, 4, static_cast<uint32_t>(odd.size() - 8));
    Save("fuzz_wave", "odd-chunk.wav", odd);
    Bytes lying = WaveImage(Samples(40, {}), {});
    Put32At(lying, 40, 100000);
    Save("fuzz_wave", "lying-size.wav", lying);
}

// --- the window's definition -------------------------------------------------------

std::unique_ptr<TForm1> ReadForm(const Bytes& definition) {
    auto form = std::make_unique<TForm1>(nullptr);
    ReadRootComponent(definition, *form);
    return form;
}

template <class T>
T* Find(TForm1& form, const char* name) {
    auto* c = dynamic_cast<T*>(form.FindComponent(name));
    if (!c) throw Exception(std::string("no component ") + name);
    return c;
}

void SetJpeg(TImage& image, const Bytes& jpeg) {
    image.Picture()->SetGraphic(std::make_unique<TJPEGImage>());
    TMemoryStream payload = JpegPayload(jpeg);
    image.Picture()->Graphic()->ReadData(payload);
}

std::unique_ptr<TBitmap> Strip(int frames, int w, int h) {
    auto b = std::make_unique<TBitmap>();
    b->SetSize(frames * w, h);
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < frames * w; ++x) b->Scanline(y)[x] = x % w == 0 ? 0xFFFFFF : Pattern(x / w, y);
    return b;
}

// The window with every image and clip replaced by a tiny one.
void MakeSmall(TForm1& form) {
    struct S { const char* name; int frames; };
    for (const S& s : {S{"BitmapBlorp", 25}, S{"BitmapClick", 3}, S{"BitmapNumber", 11}}) {
        TBitmapList* list = Find<TBitmapList>(form, s.name);
        list->SetBitmap(Strip(s.frames, 2, 2).get());
        list->SetNumImages(s.frames);
    }
    int i = 0;
    for (const char* name : {"Iperfect", "Inobody", "Iwhy", "Iwinner", "Igoback"}) {
        SetJpeg(*Find<TImage>(form, name), SmallJpeg(8 + i, 8, {.quality = 50 + 10 * i}));
        ++i;
    }
    for (const char* name : {"WaveStart", "WaveBucha", "WaveBofu", "WaveEnd"}) {
        TMemoryStream clip(WaveImage(Samples(16, {}), {}));
        Find<TWavePlayer>(form, name)->Wave()->LoadFromStream(clip);
    }
}

void FormSeeds(const std::string& assets, const std::string& formPath) {
    const Bytes definition = ReadFile(formPath);
    Save("fuzz_form", "TFORM1.bin", definition);
    {
        auto form = ReadForm(definition);
        MakeSmall(*form);
        Save("fuzz_form", "small.bin", WriteRootComponent(*form));
    }
    {
        // Every picture kind, shown; keyed strips; a timer at 1 ms.
        auto form = ReadForm(definition);
        MakeSmall(*form);
        TImage* bitmapPicture = Find<TImage>(*form, "Iperfect");
        bitmapPicture->Picture()->SetGraphic(Strip(1, 12, 10));
        bitmapPicture->SetBounds(30, 40, 12, 10);
        TImage* iconPicture = Find<TImage>(*form, "Inobody");
        iconPicture->Picture()->SetGraphic(std::make_unique<TIcon>());
        TMemoryStream ico(ReadFile(assets + "/Skrundle.ico"));
        iconPicture->Picture()->Graphic()->ReadData(ico);
        iconPicture->SetBounds(300, 200, 32, 32);
        SetJpeg(*Find<TImage>(*form, "Iwhy"), SmallJpeg(16, 16, {.quality = 40, .grey = true, .progressive = true}));
        Find<TImage>(*form, "Iwhy")->SetBounds(370, 280, 30, 30);
        SetJpeg(*Find<TImage>(*form, "Iwinner"), SmallJpeg(8, 8, {.quality = 75, .cmyk = true}));
        for (const char* name : {"Iperfect", "Inobody", "Iwhy", "Iwinner", "Igoback"}) Find<TImage>(*form, name)->SetVisible(true);
        for (const char* name : {"BitmapBlorp", "BitmapClick", "BitmapNumber"}) Find<TBitmapList>(*form, name)->SetTransparent(true);
        Find<TTimer>(*form, "Timer1")->SetInterval(1);
        Save("fuzz_form", "kinds.bin", WriteRootComponent(*form));
    }
    {
        // A component the game needs, left out: reading fails naming it.
        auto form = ReadForm(definition);
        MakeSmall(*form);
        delete Find<TWavePlayer>(*form, "WaveBofu");
        Save("fuzz_form", "missing.bin", WriteRootComponent(*form));
    }
    {
        // More components than the game names: an extra timer, picture and strip.
        auto form = ReadForm(definition);
        MakeSmall(*form);
        auto* timer = new TTimer(form.get());
        timer->SetName("Timer2");
        timer->SetInterval(3);
        auto* image = new TImage(form.get());
        image->SetParentComponent(form.get());
        image->SetName("Extra");
        image->SetBounds(-5, -5, 20, 20);
        image->Picture()->SetGraphic(Strip(1, 4, 4));
        auto* list = new TBitmapList(form.get());
        list->SetName("Strip2");
        list->SetBitmap(Strip(4, 3, 2).get());
        list->SetWidth(3);
        Save("fuzz_form", "extra.bin", WriteRootComponent(*form));
    }
}

}  // namespace

int main(int argc, char** argv) {
    if (argc != 4) {
        std::fprintf(stderr, "usage: %s <assets dir> <TFORM1.bin> <output dir>\n", argv[0]);
        return 2;
    }
    try {
        RegisterProgramClasses();
        gOut = argv[3];
        const std::string assets = argv[1];
        BmpSeeds(assets);
        IconSeeds(assets);
        JpegSeeds(assets);
        WaveSeeds(assets);
        FormSeeds(assets, argv[2]);
    } catch (const std::exception& e) {
        std::fprintf(stderr, "%s: %s\n", argv[0], e.what());
        return 1;
    }
    return 0;
}
