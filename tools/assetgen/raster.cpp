// Supersampled shader painting and distance helpers.
#include "assetgen.h"

#include <algorithm>
#include <cmath>

namespace assetgen {

void paint(Image& img, int x0, int y0, int w, int h, float u0, float v0, float u1, float v1, int ss,
           const Shader& shader) {
    const float du = (u1 - u0) / static_cast<float>(w * ss);
    const float dv = (v1 - v0) / static_cast<float>(h * ss);
    const float inv = 1.f / static_cast<float>(ss * ss);
    for (int py = 0; py < h; ++py) {
        const int iy = y0 + py;
        if (iy < 0 || iy >= img.h) continue;
        for (int px = 0; px < w; ++px) {
            const int ix = x0 + px;
            if (ix < 0 || ix >= img.w) continue;
            Rgb dst = img.at(ix, iy);
            Rgb acc{};
            for (int sy = 0; sy < ss; ++sy) {
                for (int sx = 0; sx < ss; ++sx) {
                    const float u = u0 + du * (static_cast<float>(px * ss + sx) + 0.5f);
                    const float v = v0 + dv * (static_cast<float>(py * ss + sy) + 0.5f);
                    const Rgba s = shader(u, v);
                    const float a = std::clamp(s.a, 0.f, 1.f);
                    const Rgb o = mix(dst, s.c, a);
                    acc.r += o.r;
                    acc.g += o.g;
                    acc.b += o.b;
                }
            }
            img.at(ix, iy) = {std::clamp(acc.r * inv, 0.f, 1.f), std::clamp(acc.g * inv, 0.f, 1.f),
                              std::clamp(acc.b * inv, 0.f, 1.f)};
        }
    }
}

float sdCircle(float x, float y, float cx, float cy, float r) {
    return std::hypot(x - cx, y - cy) - r;
}

float sdEllipse(float x, float y, float cx, float cy, float rx, float ry) {
    // Cheap approximation, exact on the axes; good enough for shading bands.
    const float nx = (x - cx) / rx, ny = (y - cy) / ry;
    const float k = std::hypot(nx, ny);
    return (k - 1.f) * std::min(rx, ry);
}

float sdBox(float x, float y, float cx, float cy, float hx, float hy, float radius) {
    const float qx = std::fabs(x - cx) - hx + radius;
    const float qy = std::fabs(y - cy) - hy + radius;
    const float outside = std::hypot(std::max(qx, 0.f), std::max(qy, 0.f));
    return outside + std::min(std::max(qx, qy), 0.f) - radius;
}

float sdSegment(float x, float y, float ax, float ay, float bx, float by, float r) {
    const float pax = x - ax, pay = y - ay, bax = bx - ax, bay = by - ay;
    const float len2 = bax * bax + bay * bay;
    const float t = len2 > 0 ? std::clamp((pax * bax + pay * bay) / len2, 0.f, 1.f) : 0.f;
    return std::hypot(pax - bax * t, pay - bay * t) - r;
}

float smoothstep(float e0, float e1, float x) {
    const float t = std::clamp((x - e0) / (e1 - e0), 0.f, 1.f);
    return t * t * (3.f - 2.f * t);
}

} // namespace assetgen
