// The five full-window result pictures, one for each band of hits.
#include "assetgen.h"

#include <algorithm>
#include <array>
#include <vector>
#include <cmath>
#include <stdexcept>

namespace assetgen {

namespace {

constexpr int W = 385, H = 289;
constexpr float kPi = 3.14159265f;

void fill(Image& img, const std::function<Rgb(float, float)>& f) {
    paint(img, 0, 0, W, H, 0.f, 0.f, static_cast<float>(W), static_cast<float>(H), 2,
          [&f](float x, float y) { return Rgba{f(x, y), 1.f}; });
}

Rgb sunburst(float x, float y, float cx, float cy, int rays, Rgb a, Rgb b, float spin = 0.f) {
    const float th = std::atan2(y - cy, x - cx) + spin;
    const float s = std::fmod((th + 2.f * kPi) * static_cast<float>(rays) / (2.f * kPi), 1.f);
    const float r = std::hypot(x - cx, y - cy);
    const Rgb c = s < 0.5f ? a : b;
    return scale(c, 1.f - 0.45f * std::clamp(r / 300.f, 0.f, 1.f));
}

// Four-pointed sparkle; returns coverage.
float sparkle(float x, float y, float cx, float cy, float size) {
    const float k = std::sqrt(std::fabs(x - cx) / size) + std::sqrt(std::fabs(y - cy) / size);
    return k < 1.f ? 1.f : 0.f;
}

struct TitleStyle {
    Rgb top, bottom, edge;
    float maxCell;
};

// Big title: drop shadow, thick outline, vertical gradient with a glossy
// upper half.
void title(Image& img, const std::string& text, float cy, const TitleStyle& st) {
    const float wc = textWidthCells(text);
    const float cell = std::min(st.maxCell, 352.f / wc);
    const float x0 = (static_cast<float>(W) - wc * cell) / 2.f;
    const float y0 = cy - 3.5f * cell;
    const TextShape t = layoutText(text, x0, y0, cell, cell * 0.22f);
    const float edge = cell * 0.55f, off = cell * 0.45f;
    const int bx0 = static_cast<int>(t.minx - edge - 2), by0 = static_cast<int>(t.miny - edge - 2);
    const int bx1 = static_cast<int>(t.maxx + edge + off + 3), by1 = static_cast<int>(t.maxy + edge + off + 3);
    paint(img, bx0, by0, bx1 - bx0, by1 - by0, static_cast<float>(bx0), static_cast<float>(by0),
          static_cast<float>(bx1), static_cast<float>(by1), 3, [&](float x, float y) {
              Rgba o;
              if (t.distance(x - off, y - off) < edge) o = {rgb(0, 0, 0), 0.55f};
              const float d = t.distance(x, y);
              if (d < edge) {
                  o.c = mix(o.c, st.edge, 1.f);
                  o.a = 1.f;
              }
              if (d < 0.f) {
                  const float f = std::clamp((y - t.miny) / (t.maxy - t.miny), 0.f, 1.f);
                  Rgb c = mix(st.top, st.bottom, f);
                  if (f < 0.45f) c = mix(c, rgb(255, 255, 255), 0.22f);
                  if (d > -cell * 0.18f && f < 0.5f) c = mix(c, rgb(255, 255, 255), 0.35f);
                  o.c = c;
              }
              return o;
          });
}

void subtitle(Image& img, const std::string& text, float cy, float cell, Rgb fillC, Rgb edgeC) {
    const float wc = textWidthCells(text);
    const float x0 = (static_cast<float>(W) - wc * cell) / 2.f;
    const TextShape t = layoutText(text, x0, cy - 3.5f * cell, cell, cell * 0.2f);
    const float edge = cell * 0.6f;
    const int bx0 = static_cast<int>(t.minx - edge - 2), by0 = static_cast<int>(t.miny - edge - 2);
    const int bx1 = static_cast<int>(t.maxx + edge + 3), by1 = static_cast<int>(t.maxy + edge + 3);
    paint(img, bx0, by0, bx1 - bx0, by1 - by0, static_cast<float>(bx0), static_cast<float>(by0),
          static_cast<float>(bx1), static_cast<float>(by1), 3, [&](float x, float y) {
              const float d = t.distance(x, y);
              if (d < 0.f) return Rgba{fillC, 1.f};
              if (d < edge) return Rgba{edgeC, 1.f};
              return Rgba{};
          });
}

void figure(Image& img, int kind, bool battered, float cx, float cy, float size, float tilt = 0.f) {
    const int x0 = static_cast<int>(cx - size / 2), y0 = static_cast<int>(cy - size / 2);
    const int s = static_cast<int>(size);
    const float c = std::cos(tilt), sn = std::sin(tilt);
    paint(img, x0, y0, s, s, -1.f, -1.f, 1.f, 1.f, 3, [=](float x, float y) {
        return figureShader(kind, battered, c * x + sn * y, -sn * x + c * y);
    });
}

void hit(Image& img, int which, float cx, float cy, float size) {
    const int s = static_cast<int>(size);
    paint(img, static_cast<int>(cx - size / 2), static_cast<int>(cy - size / 2), s, s, -1.f, -1.f, 1.f, 1.f, 3,
          [which](float x, float y) { return hitShader(which, x, y); });
}

struct Burst {
    float cx, cy, r;
    Rgb col;
    int n;
};

void fireworks(Image& img, const std::vector<Burst>& bursts) {
    paint(img, 0, 0, W, H, 0.f, 0.f, static_cast<float>(W), static_cast<float>(H), 2, [&](float x, float y) {
        Rgba o;
        for (const Burst& b : bursts) {
            const float dx = x - b.cx, dy = y - b.cy;
            const float r = std::hypot(dx, dy);
            if (r > b.r + 4.f) continue;
            const float seg = 2.f * kPi / static_cast<float>(b.n);
            const float th = std::atan2(dy, dx);
            const float k = std::round(th / seg);
            const float perp = r * std::fabs(std::sin(th - k * seg));
            const float tip = std::hypot(x - (b.cx + b.r * std::cos(k * seg)), y - (b.cy + b.r * std::sin(k * seg)));
            if (tip < 2.6f) {
                o.c = mix(o.c, rgb(255, 255, 255), 1.f);
                o.a = 1.f;
            } else if (r < b.r && r > b.r * 0.2f && perp < 0.6f + 1.f * r / b.r) {
                const float a = std::pow(r / b.r, 1.3f);
                o.c = mix(o.c, b.col, a);
                o.a = std::max(o.a, a);
            }
            // Smaller ring of sparks halfway out.
            const float k2 = std::round((th - seg / 2.f) / seg);
            const float mid = std::hypot(x - (b.cx + b.r * 0.55f * std::cos(k2 * seg + seg / 2.f)),
                                         y - (b.cy + b.r * 0.55f * std::sin(k2 * seg + seg / 2.f)));
            if (mid < 1.8f) {
                o.c = mix(o.c, mix(b.col, rgb(255, 255, 255), 0.5f), 1.f);
                o.a = 1.f;
            }
            if (r < b.r * 0.18f) {
                const float a = 1.f - r / (b.r * 0.18f);
                o.c = mix(o.c, rgb(255, 255, 230), a);
                o.a = std::max(o.a, a);
            }
        }
        return o;
    });
}

void starField(Image& img, std::uint64_t seed, int count, float maxY) {
    Rng rng(seed);
    for (int i = 0; i < count; ++i) {
        const float x = rng.range(0.f, static_cast<float>(W)), y = rng.range(0.f, maxY);
        const float s = rng.range(1.2f, 3.2f);
        const float b = rng.range(0.5f, 1.f);
        paint(img, static_cast<int>(x - s) - 1, static_cast<int>(y - s) - 1, static_cast<int>(2 * s) + 3,
              static_cast<int>(2 * s) + 3, std::floor(x - s) - 1.f, std::floor(y - s) - 1.f,
              std::floor(x - s) - 1.f + std::floor(2 * s) + 3.f, std::floor(y - s) - 1.f + std::floor(2 * s) + 3.f, 3,
              [=](float u, float v) { return Rgba{rgb(255, 255, 235), b * sparkle(u, v, x, y, s)}; });
    }
}

void sparkles(Image& img, std::uint64_t seed, int count, const std::vector<Rgb>& cols) {
    Rng rng(seed);
    for (int i = 0; i < count; ++i) {
        const float x = rng.range(8.f, W - 8.f), y = rng.range(8.f, H - 8.f);
        const float s = rng.range(4.f, 9.f);
        const Rgb c = cols[rng.next() % cols.size()];
        const int x0 = static_cast<int>(x - s) - 1, y0 = static_cast<int>(y - s) - 1, n = static_cast<int>(2 * s) + 3;
        paint(img, x0, y0, n, n, static_cast<float>(x0), static_cast<float>(y0), static_cast<float>(x0 + n),
              static_cast<float>(y0 + n), 3, [=](float u, float v) {
                  const float a = sparkle(u, v, x, y, s);
                  const float core = sparkle(u, v, x, y, s * 0.45f);
                  return Rgba{core > 0.f ? rgb(255, 255, 255) : c, a};
              });
    }
}

// ---- the five pictures -----------------------------------------------

Image perfect() {
    Image img(W, H);
    fill(img, [](float, float y) { return mix(rgb(8, 6, 34), rgb(60, 20, 90), y / H); });
    starField(img, 11, 60, 200.f);
    fireworks(img, {{62, 60, 52, rgb(255, 80, 120), 18},
                    {320, 56, 56, rgb(80, 220, 255), 20},
                    {192, 34, 30, rgb(255, 220, 60), 14},
                    {40, 170, 34, rgb(120, 255, 120), 14},
                    {345, 168, 36, rgb(255, 150, 40), 16},
                    {130, 150, 22, rgb(230, 120, 255), 12},
                    {262, 148, 24, rgb(255, 255, 140), 12}});
    // Ground glow behind the row of figures.
    paint(img, 0, 200, W, H - 200, 0.f, 200.f, static_cast<float>(W), static_cast<float>(H), 2, [](float x, float y) {
        const float d = std::hypot((x - 192.f) / 240.f, (y - 300.f) / 80.f);
        return Rgba{rgb(255, 200, 90), 0.45f * std::clamp(1.f - d, 0.f, 1.f)};
    });
    title(img, "PERFECT!", 92.f, {rgb(255, 252, 190), rgb(255, 150, 10), rgb(110, 30, 0), 8.f});
    subtitle(img, "100 HITS - EVERY ONE!", 150.f, 2.6f, rgb(255, 255, 255), rgb(70, 20, 90));
    const float size = 54.f;
    for (int k = 0; k < 6; ++k) {
        const float cx = 192.f + (static_cast<float>(k) - 2.5f) * 60.f;
        const float cy = 246.f + (k % 2 ? -8.f : 4.f);
        figure(img, k, false, cx, cy, size, (k % 2 ? 0.15f : -0.15f));
    }
    return img;
}

Image amazing() {
    Image img(W, H);
    fill(img, [](float x, float y) {
        return sunburst(x, y, 192.f, 120.f, 20, rgb(150, 40, 190), rgb(100, 20, 150), 0.1f);
    });
    sparkles(img, 23, 26, {rgb(255, 240, 120), rgb(140, 240, 255), rgb(255, 160, 240)});
    title(img, "AMAZING!", 96.f, {rgb(255, 255, 255), rgb(90, 210, 255), rgb(30, 0, 80), 8.f});
    subtitle(img, "90 - 99 HITS", 158.f, 3.2f, rgb(255, 240, 120), rgb(60, 0, 70));
    figure(img, 4, false, 56.f, 232.f, 84.f, -0.2f);
    figure(img, 2, false, 329.f, 232.f, 84.f, 0.2f);
    hit(img, 2, 150.f, 234.f, 56.f);
    figure(img, 1, false, 238.f, 234.f, 72.f, 0.08f);
    return img;
}

Image great() {
    Image img(W, H);
    fill(img, [](float x, float y) {
        return sunburst(x, y, 192.f, 150.f, 16, rgb(255, 170, 40), rgb(245, 120, 30));
    });
    sparkles(img, 37, 14, {rgb(255, 255, 200), rgb(255, 240, 90)});
    title(img, "GREAT!", 90.f, {rgb(255, 255, 255), rgb(255, 215, 70), rgb(160, 20, 0), 11.f});
    subtitle(img, "80 - 89 HITS", 162.f, 3.2f, rgb(255, 255, 255), rgb(150, 30, 0));
    figure(img, 0, false, 70.f, 234.f, 90.f, -0.15f);
    figure(img, 3, false, 315.f, 232.f, 90.f, 0.15f);
    hit(img, 0, 192.f, 232.f, 84.f);
    return img;
}

Image winner() {
    Image img(W, H);
    fill(img, [](float x, float y) {
        const float stripe = std::fmod(x + y + 400.f, 36.f) < 18.f ? 1.f : 0.9f;
        return scale(mix(rgb(60, 190, 120), rgb(10, 90, 70), y / H), stripe);
    });
    // Medal with ribbon.
    paint(img, 152, 178, 82, 110, 152.f, 178.f, 234.f, 288.f, 3, [](float x, float y) {
        Rgba o;
        if (y < 232.f && (std::fabs((x - 192.f) + (y - 200.f) * 0.5f) < 11.f || std::fabs((x - 192.f) - (y - 200.f) * 0.5f) < 11.f) && y > 178.f) {
            o.c = (static_cast<int>((x + 400.f) / 5.f) % 2) ? rgb(220, 30, 50) : rgb(40, 80, 220);
            o.a = 1.f;
        }
        const float d = std::hypot(x - 192.f, y - 250.f) - 30.f;
        if (d < 0.f) {
            o.a = 1.f;
            o.c = d > -3.f ? rgb(120, 70, 0) : mix(rgb(255, 240, 140), rgb(230, 150, 20), std::clamp((y - 222.f) / 56.f, 0.f, 1.f));
            if (d < -6.f && d > -8.f) o.c = rgb(190, 120, 10);
            if (sparkle(x, y, 192.f, 250.f, 16.f) > 0.f) o.c = rgb(255, 255, 230);
        }
        return o;
    });
    sparkles(img, 41, 12, {rgb(255, 255, 200), rgb(255, 230, 110)});
    title(img, "WINNER", 88.f, {rgb(255, 250, 170), rgb(245, 170, 20), rgb(40, 60, 0), 10.f});
    subtitle(img, "70 - 79 HITS", 156.f, 3.0f, rgb(255, 255, 255), rgb(10, 60, 40));
    figure(img, 3, false, 70.f, 236.f, 82.f, -0.12f);
    figure(img, 0, false, 315.f, 238.f, 82.f, 0.12f);
    return img;
}

Image tryAgain() {
    Image img(W, H);
    fill(img, [](float, float y) { return mix(rgb(30, 40, 90), rgb(90, 70, 130), y / H); });
    // Soft rain.
    Rng rng(53);
    std::vector<std::array<float, 3>> drops;
    for (int i = 0; i < 70; ++i) drops.push_back({rng.range(0.f, W + 40.f), rng.range(0.f, H), rng.range(8.f, 16.f)});
    paint(img, 0, 0, W, H, 0.f, 0.f, static_cast<float>(W), static_cast<float>(H), 2, [&](float x, float y) {
        for (const auto& d : drops)
            if (sdSegment(x, y, d[0], d[1], d[0] - d[2] * 0.35f, d[1] + d[2], 0.7f) < 0.f)
                return Rgba{rgb(160, 190, 255), 0.45f};
        return Rgba{};
    });
    title(img, "TRY AGAIN", 70.f, {rgb(235, 245, 255), rgb(120, 170, 245), rgb(15, 20, 60), 8.f});
    subtitle(img, "UNDER 70 HITS", 126.f, 3.0f, rgb(255, 230, 140), rgb(20, 20, 60));
    subtitle(img, "YOU CAN DO IT!", 150.f, 2.2f, rgb(255, 255, 255), rgb(20, 20, 60));
    // A little rain cloud over the battered tough figure, and a friend
    // cheering it on.
    paint(img, 150, 160, 90, 50, 150.f, 160.f, 240.f, 210.f, 3, [](float x, float y) {
        float d = std::min({std::hypot(x - 176.f, y - 190.f) - 15.f, std::hypot(x - 196.f, y - 181.f) - 19.f,
                            std::hypot(x - 216.f, y - 191.f) - 14.f});
        d = std::min(d, sdBox(x, y, 196.f, 196.f, 30.f, 8.f, 8.f));
        if (d < 0.f) return Rgba{d > -2.f ? rgb(60, 60, 90) : mix(rgb(230, 230, 245), rgb(160, 160, 190), (y - 165.f) / 40.f), 1.f};
        return Rgba{};
    });
    figure(img, 5, true, 196.f, 248.f, 70.f, 0.f);
    figure(img, 1, false, 66.f, 240.f, 76.f, -0.18f);
    figure(img, 4, false, 320.f, 240.f, 76.f, 0.18f);
    return img;
}

} // namespace

Image makeResultPicture(const std::string& name) {
    if (name == "Iperfect") return perfect();
    if (name == "Inobody") return amazing();
    if (name == "Iwhy") return great();
    if (name == "Iwinner") return winner();
    if (name == "Igoback") return tryAgain();
    throw std::invalid_argument("unknown picture " + name);
}

} // namespace assetgen
