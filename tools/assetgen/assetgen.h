// Shared declarations of the asset generator.
#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

namespace assetgen {

using Bytes = std::vector<std::uint8_t>;

// Linear RGB-ish colour in 0..1 per channel (values are sRGB-coded; the
// generator blends in that space, which is what the eye expects of pixel art).
struct Rgb {
    float r = 0, g = 0, b = 0;
};
inline Rgb rgb(int r, int g, int b) { return {r / 255.f, g / 255.f, b / 255.f}; }
inline Rgb mix(Rgb a, Rgb b, float t) {
    return {a.r + (b.r - a.r) * t, a.g + (b.g - a.g) * t, a.b + (b.b - a.b) * t};
}
inline Rgb scale(Rgb a, float k) { return {a.r * k, a.g * k, a.b * k}; }

// Colour with coverage, the result of a shader at one sample point.
struct Rgba {
    Rgb c;
    float a = 0;
};

// A true-colour picture.
struct Image {
    int w = 0, h = 0;
    std::vector<Rgb> px;
    Image() = default;
    Image(int w_, int h_) : w(w_), h(h_), px(static_cast<std::size_t>(w_) * h_) {}
    Rgb& at(int x, int y) { return px[static_cast<std::size_t>(y) * w + x]; }
    const Rgb& at(int x, int y) const { return px[static_cast<std::size_t>(y) * w + x]; }
};

// A shader maps a point (in the caller's coordinates) to colour and coverage.
using Shader = std::function<Rgba(float x, float y)>;

// Composites `shader` over the rectangle (x0, y0, x0 + w, y0 + h) of `img`
// with ss x ss supersampling. The shader sees coordinates mapped so that the
// rectangle spans u in [u0, u1] and v in [v0, v1].
void paint(Image& img, int x0, int y0, int w, int h, float u0, float v0, float u1, float v1, int ss,
           const Shader& shader);

// Deterministic generator (fixed seed, 64-bit LCG).
struct Rng {
    std::uint64_t s;
    explicit Rng(std::uint64_t seed) : s(seed) {}
    std::uint32_t next() {
        s = s * 6364136223846793005ULL + 1442695040888963407ULL;
        return static_cast<std::uint32_t>(s >> 33);
    }
    float unit() { return static_cast<float>(next() & 0xFFFFFF) / 16777216.f; }
    float range(float a, float b) { return a + (b - a) * unit(); }
};

// Signed-distance helpers; negative inside.
float sdCircle(float x, float y, float cx, float cy, float r);
float sdEllipse(float x, float y, float cx, float cy, float rx, float ry);
float sdBox(float x, float y, float cx, float cy, float hx, float hy, float radius);
float sdSegment(float x, float y, float ax, float ay, float bx, float by, float r);
float smoothstep(float e0, float e1, float x);

// ---- font -------------------------------------------------------------
// Glyph of the 5 x 7 font: 7 rows, bit 4 is the leftmost column.
const std::uint8_t* glyph5x7(char c);
// Glyph of the 6 x 12 counter digits (0-9) and '/'; bit 5 is the leftmost.
const std::uint8_t* glyphDigit(char c);

// Signed distance to text set in the 5 x 7 font whose cells are `cell`
// units wide, with top-left at (ox, oy), cells rounded by `round` units.
struct TextShape {
    std::vector<std::pair<float, float>> cells; // cell centres
    float half = 0.5f, round = 0.f;
    float minx = 0, miny = 0, maxx = 0, maxy = 0;
    float distance(float x, float y) const;
};
TextShape layoutText(const std::string& text, float ox, float oy, float cell, float round,
                     float spacingCells = 1.f);
float textWidthCells(const std::string& text, float spacingCells = 1.f);

// ---- art --------------------------------------------------------------
// Figure kind 0..5 (5 is the armoured one), variant 1 = battered armour.
// Coordinates span [-1, 1] on both axes, y down.
Rgba figureShader(int kind, bool battered, float x, float y);
// Hit picture 0..2 in the same coordinates.
Rgba hitShader(int which, float x, float y);

struct IndexedImage {
    int w = 0, h = 0;
    std::vector<std::uint8_t> idx;
    std::vector<Rgb> palette;
};

IndexedImage makeBlorpStrip();
IndexedImage makeClickStrip();
IndexedImage makeNumberStrip();
Image makeResultPicture(const std::string& name);
IndexedImage makeIcon();

// ---- sound ------------------------------------------------------------
std::vector<std::int16_t> makeSound(const std::string& name, std::size_t samples);

// ---- file formats ------------------------------------------------------
struct BmpParams {
    int bpp;
    int paletteEntries;
    std::uint32_t clrUsed, clrImportant;
    std::int32_t pxPerMetre;
};
Bytes writeBmp(const IndexedImage& img, const BmpParams& p);
Bytes writeWav(const std::vector<std::int16_t>& samples, bool withFact);
Bytes writeIco(const IndexedImage& icon, const std::vector<bool>& mask);
// Encodes a JPEG of exactly `targetLength` bytes.
Bytes writeJpeg(const Image& img, std::size_t targetLength, int* qualityUsed);

// ---- verification ------------------------------------------------------
// Each returns the list of failed facts (empty when all hold).
std::vector<std::string> verifyBmp(const std::string& name, const Bytes& f);
std::vector<std::string> verifyJpeg(const std::string& name, const Bytes& f);
std::vector<std::string> verifyWav(const std::string& name, const Bytes& f);
std::vector<std::string> verifyIco(const Bytes& f);

} // namespace assetgen
