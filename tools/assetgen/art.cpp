// The figures, hit pictures, prompt, counter glyphs and icon.
#include "assetgen.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <limits>

namespace assetgen {

namespace {

constexpr float kPi = 3.14159265f;

// Paints colour c where the region test holds (hard edge; the painter's
// supersampling smooths it).
void over(Rgba& dst, Rgb c, float a = 1.f) {
    dst.c = mix(dst.c, c, a);
    dst.a = dst.a + a * (1.f - dst.a);
}

// Shaded body: dark outline, lit from the upper left, with a soft rim and
// a glossy highlight, so that the blob reads as round at 64 x 64.
void body(Rgba& o, float d, float x, float y, Rgb base, float lightX = -0.35f, float lightY = -0.45f) {
    if (d >= 0.f) return;
    const float outline = 0.075f;
    if (d > -outline) {
        over(o, scale(base, 0.22f));
        return;
    }
    const float dist = std::hypot(x - lightX, y - lightY);
    float k = 1.08f - 0.42f * std::clamp(dist / 1.5f, 0.f, 1.f);
    k -= 0.18f * smoothstep(-0.28f, -0.08f, d) * 1.f;
    over(o, scale(base, k));
    const float gloss = std::hypot((x - lightX) / 0.18f, (y - lightY) / 0.11f);
    if (gloss < 1.f) over(o, rgb(255, 255, 255), 0.75f * (1.f - gloss * gloss));
}

void eye(Rgba& o, float x, float y, float cx, float cy, float rx, float ry, float lookX, float lookY,
         float pupil = 0.09f) {
    const float d = sdEllipse(x, y, cx, cy, rx, ry);
    if (d < 0.f) {
        over(o, d > -0.035f ? rgb(20, 20, 30) : rgb(250, 250, 250));
        if (sdCircle(x, y, cx + lookX, cy + lookY, pupil) < 0.f) over(o, rgb(15, 15, 25));
        if (sdCircle(x, y, cx + lookX - pupil * 0.35f, cy + lookY - pupil * 0.4f, pupil * 0.35f) < 0.f)
            over(o, rgb(255, 255, 255));
    }
}

void rivet(Rgba& o, float x, float y, float cx, float cy) {
    const float d = sdCircle(x, y, cx, cy, 0.055f);
    if (d < 0.f) over(o, d > -0.02f ? rgb(60, 64, 75) : (y < cy - 0.01f ? rgb(245, 248, 255) : rgb(190, 196, 210)));
}

// ---- the six figure kinds ----------------------------------------------

Rgba roundBlob(float x, float y) { // kind 0: red round blob, big smile
    Rgba o;
    const float d = sdCircle(x, y, 0.f, 0.1f, 0.86f);
    body(o, d, x, y, rgb(236, 58, 72));
    if (d >= 0.f) return o;
    for (float s : {-1.f, 1.f})
        if (sdEllipse(x, y, s * 0.56f, 0.28f, 0.15f, 0.09f) < 0.f) over(o, rgb(255, 130, 150), 0.8f);
    eye(o, x, y, -0.3f, -0.14f, 0.18f, 0.23f, 0.04f, 0.03f);
    eye(o, x, y, 0.3f, -0.14f, 0.18f, 0.23f, -0.02f, 0.03f);
    // Smile: lower half of an ellipse.
    const float m = sdEllipse(x, y, 0.f, 0.22f, 0.36f, 0.34f);
    if (m < 0.f && y > 0.24f) {
        over(o, m > -0.05f || y < 0.29f ? rgb(60, 5, 15) : rgb(120, 12, 30));
        if (sdEllipse(x, y, 0.06f, 0.5f, 0.17f, 0.09f) < 0.f && m < -0.05f) over(o, rgb(255, 110, 130));
    }
    return o;
}

Rgba squareBlob(float x, float y) { // kind 1: green box with teeth and a sprout
    Rgba o;
    // Sprout on top.
    if (sdSegment(x, y, 0.f, -0.72f, 0.05f, -0.9f, 0.045f) < 0.f) over(o, rgb(40, 110, 30));
    const float leaf = sdEllipse(x, y, 0.22f, -0.88f, 0.17f, 0.08f);
    if (leaf < 0.f) over(o, leaf > -0.03f ? rgb(20, 60, 15) : rgb(130, 230, 70));
    const float d = sdBox(x, y, 0.f, 0.08f, 0.8f, 0.8f, 0.2f);
    body(o, d, x, y, rgb(64, 196, 84));
    if (d >= 0.f) return o;
    for (float s : {-1.f, 1.f}) {
        const float e = sdBox(x, y, s * 0.32f, -0.2f, 0.17f, 0.17f, 0.05f);
        if (e < 0.f) {
            over(o, e > -0.035f ? rgb(15, 40, 20) : rgb(250, 250, 245));
            if (sdBox(x, y, s * 0.32f + 0.04f, -0.17f, 0.075f, 0.075f, 0.02f) < 0.f) over(o, rgb(10, 20, 15));
        }
        // Eyebrows, flat and square.
        if (sdBox(x, y, s * 0.32f, -0.47f, 0.17f, 0.035f, 0.02f) < 0.f) over(o, rgb(20, 70, 25));
    }
    const float m = sdBox(x, y, 0.f, 0.38f, 0.46f, 0.15f, 0.05f);
    if (m < 0.f) {
        over(o, m > -0.035f ? rgb(15, 40, 20) : rgb(90, 20, 25));
        for (float tx : {-0.3f, -0.1f, 0.1f, 0.3f})
            if (sdBox(x, y, tx, 0.29f, 0.075f, 0.06f, 0.01f) < 0.f) over(o, rgb(255, 255, 240));
    }
    return o;
}

Rgba spikyBlob(float x, float y) { // kind 2: purple spiky with an angry grin
    Rgba o;
    const float cx = 0.f, cy = 0.06f;
    const float r = std::hypot(x - cx, y - cy);
    const float th = std::atan2(y - cy, x - cx);
    const float spike = std::pow(0.5f + 0.5f * std::cos(10.f * th + kPi * 0.5f), 3.f);
    const float d = (r - (0.62f + 0.3f * spike)) * 0.8f;
    body(o, d, x, y, rgb(160, 84, 226));
    if (d >= 0.f) return o;
    eye(o, x, y, -0.26f, -0.08f, 0.17f, 0.17f, 0.05f, 0.04f, 0.08f);
    eye(o, x, y, 0.26f, -0.08f, 0.17f, 0.17f, -0.05f, 0.04f, 0.08f);
    // Angry brows cut over the eyes.
    for (float s : {-1.f, 1.f})
        if (sdSegment(x, y, s * 0.44f, -0.32f, s * 0.1f, -0.2f, 0.055f) < 0.f) over(o, rgb(40, 10, 60));
    const float m = sdEllipse(x, y, 0.f, 0.33f, 0.36f, 0.15f);
    if (m < 0.f) {
        over(o, m > -0.035f ? rgb(30, 5, 40) : rgb(70, 10, 40));
        // Zigzag teeth along top and bottom.
        const float f = std::fabs(std::fmod((x + 2.f) * 5.f, 1.f) * 2.f - 1.f);
        if (y < 0.21f + 0.1f * (1.f - f) && m < -0.03f) over(o, rgb(255, 255, 240));
        if (y > 0.45f - 0.08f * f && m < -0.03f) over(o, rgb(255, 255, 240));
    }
    return o;
}

Rgba tallBlob(float x, float y) { // kind 3: tall striped yellow with sleepy eyes
    Rgba o;
    // Two antennae with bobbles.
    for (float s : {-1.f, 1.f}) {
        if (sdSegment(x, y, s * 0.2f, -0.7f, s * 0.44f, -0.9f, 0.035f) < 0.f) over(o, rgb(60, 40, 10));
        const float b = sdCircle(x, y, s * 0.46f, -0.9f, 0.08f);
        if (b < 0.f) over(o, b > -0.03f ? rgb(60, 20, 10) : rgb(255, 90, 60));
    }
    const float d = sdSegment(x, y, 0.f, -0.28f, 0.f, 0.34f, 0.64f);
    body(o, d, x, y, rgb(250, 204, 48));
    if (d >= 0.f) return o;
    // Orange bands on the lower body.
    for (float by : {0.38f, 0.66f})
        if (std::fabs(y - by) < 0.065f && d < -0.075f) over(o, rgb(235, 120, 30), 0.9f);
    for (float s : {-1.f, 1.f}) {
        const float ex = s * 0.25f, ey = -0.32f;
        const float e = sdEllipse(x, y, ex, ey, 0.2f, 0.22f);
        if (e < 0.f) {
            if (y < ey - 0.02f) {
                over(o, e > -0.035f ? rgb(70, 50, 10) : rgb(235, 175, 40)); // heavy lid
            } else {
                over(o, e > -0.035f ? rgb(30, 20, 10) : rgb(250, 250, 250));
                if (sdCircle(x, y, ex, ey + 0.08f, 0.08f) < 0.f) over(o, rgb(20, 20, 30));
            }
        }
        if (std::fabs(y - (ey - 0.02f)) < 0.025f && e < 0.f) over(o, rgb(60, 40, 10));
    }
    const float m = sdEllipse(x, y, 0.f, 0.08f, 0.11f, 0.13f);
    if (m < 0.f) over(o, m > -0.035f ? rgb(60, 30, 10) : rgb(150, 40, 30));
    return o;
}

Rgba cyclops(float x, float y) { // kind 4: blue one-eyed with horns
    Rgba o;
    for (float s : {-1.f, 1.f}) {
        const float t = std::clamp((y + 0.95f) / 0.45f, 0.f, 1.f);
        const float h = sdSegment(x, y, s * 0.42f, -0.5f, s * 0.6f, -0.95f, 0.02f + 0.08f * t);
        if (h < 0.f) over(o, h > -0.03f ? rgb(70, 60, 40) : rgb(245, 235, 205));
    }
    const float d = sdEllipse(x, y, 0.f, 0.12f, 0.84f, 0.8f);
    body(o, d, x, y, rgb(56, 138, 240));
    if (d >= 0.f) return o;
    const float e = sdCircle(x, y, 0.f, -0.1f, 0.38f);
    if (e < 0.f) {
        over(o, e > -0.04f ? rgb(10, 25, 60) : rgb(252, 252, 252));
        const float iris = sdCircle(x, y, 0.04f, -0.06f, 0.21f);
        if (iris < 0.f) over(o, iris > -0.03f ? rgb(10, 60, 30) : mix(rgb(60, 220, 120), rgb(20, 140, 70), std::clamp((y + 0.25f) / 0.4f, 0.f, 1.f)));
        if (sdCircle(x, y, 0.04f, -0.06f, 0.1f) < 0.f) over(o, rgb(10, 10, 20));
        if (sdCircle(x, y, -0.02f, -0.13f, 0.045f) < 0.f) over(o, rgb(255, 255, 255));
    }
    const float m = sdEllipse(x, y, 0.f, 0.44f, 0.28f, 0.2f);
    if (m < 0.f && y > 0.48f) {
        over(o, m > -0.04f || y < 0.52f ? rgb(10, 20, 50) : rgb(120, 20, 40));
        if (sdBox(x, y, 0.1f, 0.55f, 0.06f, 0.05f, 0.01f) < 0.f) over(o, rgb(255, 255, 240));
    }
    return o;
}

// Kind 5: orange figure in a steel helmet and breastplate. The battered
// variant has a tilted, dented, cracked helmet, a cracked plate and
// dizzy eyes.
Rgba armoured(float x, float y, bool battered) {
    Rgba o;
    const float d = sdCircle(x, y, 0.f, 0.16f, 0.8f);
    body(o, d, x, y, rgb(242, 136, 44));
    // Helmet coordinates: tilted when battered.
    const float ang = battered ? 0.2f : 0.f;
    const float pcx = 0.f, pcy = 0.16f;
    const float hx = std::cos(ang) * (x - pcx) + std::sin(ang) * (y - pcy) + pcx;
    const float hy = -std::sin(ang) * (x - pcx) + std::cos(ang) * (y - pcy) + pcy;
    const Rgb steel = battered ? rgb(150, 150, 158) : rgb(176, 186, 204);
    if (d < 0.f) {
        for (float s : {-1.f, 1.f}) {
            if (battered && s < 0) {
                // A swirl of a stunned eye.
                const float ex = -0.28f, ey = 0.12f;
                const float e = sdCircle(x, y, ex, ey, 0.17f);
                if (e < 0.f) {
                    over(o, e > -0.035f ? rgb(30, 20, 20) : rgb(250, 250, 250));
                    const float rr = std::hypot(x - ex, y - ey);
                    const float th = std::atan2(y - ey, x - ex);
                    const float ph = std::fmod(rr * 38.f - th + 20.f * kPi, 2.f * kPi);
                    if (ph < 2.4f && e < -0.035f) over(o, rgb(30, 20, 30));
                }
            } else if (battered) {
                // A squeezed-shut eye: two strokes of an X.
                if (sdSegment(x, y, 0.17f, 0.02f, 0.4f, 0.22f, 0.045f) < 0.f ||
                    sdSegment(x, y, 0.17f, 0.22f, 0.4f, 0.02f, 0.045f) < 0.f)
                    over(o, rgb(40, 15, 10));
            } else {
                eye(o, x, y, s * 0.28f, 0.12f, 0.16f, 0.16f, -s * 0.03f, 0.02f, 0.08f);
                // Determined lids.
                if (sdSegment(x, y, s * 0.44f, -0.02f, s * 0.12f, 0.03f, 0.04f) < 0.f) over(o, rgb(90, 40, 10));
            }
        }
        // Grimace.
        const float m = sdBox(x, y, 0.f, 0.39f, 0.2f, 0.06f, 0.03f);
        if (m < 0.f) {
            over(o, m > -0.025f ? rgb(60, 20, 10) : rgb(255, 250, 235));
            if (std::fabs(x) < 0.012f || std::fabs(x - 0.1f) < 0.012f || std::fabs(x + 0.1f) < 0.012f)
                over(o, rgb(60, 20, 10));
        }
        if (battered) {
            // Sticking plaster on the cheek.
            const float px = x * 0.8f + y * 0.6f, py = -x * 0.6f + y * 0.8f;
            const float pl = sdBox(px, py, 0.55f * 0.8f + 0.3f * 0.6f, -0.55f * 0.6f + 0.3f * 0.8f, 0.14f, 0.06f, 0.03f);
            if (pl < 0.f) over(o, pl > -0.02f ? rgb(120, 80, 60) : rgb(250, 215, 170));
        }
    }
    // Breastplate.
    const float pd = sdBox(x, y, 0.f, 0.72f, 0.46f, 0.22f, 0.12f);
    if (pd < 0.f) {
        const float k = 1.05f - 0.4f * std::clamp((y - 0.5f) / 0.45f, 0.f, 1.f);
        over(o, pd > -0.05f ? rgb(50, 55, 66) : scale(steel, k));
        if (pd < -0.05f && std::fabs(x + 0.2f - (y - 0.55f) * 0.3f) < 0.03f) over(o, rgb(235, 240, 250), 0.8f);
        rivet(o, x, y, -0.34f, 0.64f);
        if (!battered) rivet(o, x, y, 0.34f, 0.64f);
        if (battered) {
            if (sdSegment(x, y, 0.1f, 0.52f, 0.2f, 0.66f, 0.02f) < 0.f || sdSegment(x, y, 0.2f, 0.66f, 0.12f, 0.8f, 0.02f) < 0.f ||
                sdSegment(x, y, 0.12f, 0.8f, 0.24f, 0.92f, 0.02f) < 0.f)
                over(o, rgb(30, 30, 36));
        }
    }
    // Helmet dome with a brim and a crest.
    float hd = std::max(sdCircle(hx, hy, 0.f, 0.16f, 0.87f), hy + 0.12f);
    float dent = 1.f;
    if (battered) {
        dent = sdCircle(hx, hy, 0.52f, -0.76f, 0.2f);
        hd = std::max(hd, -dent); // a bite out of the dome
    }
    const float brim = sdBox(hx, hy, 0.f, -0.1f, 0.95f, 0.09f, 0.05f);
    const float crest = sdBox(hx, hy, 0.f, -0.78f, 0.09f, 0.17f, 0.06f);
    if (crest < 0.f && !(battered && hx > 0.f && hy < -0.82f))
        over(o, crest > -0.035f ? rgb(80, 10, 10) : rgb(220, 40, 40));
    if (hd < 0.f) {
        const float dist = std::hypot(hx + 0.3f, hy + 0.55f);
        float k = 1.12f - 0.5f * std::clamp(dist / 1.2f, 0.f, 1.f);
        if (battered && dent < 0.12f) k *= 0.6f; // shadow in the dent
        over(o, hd > -0.06f ? rgb(40, 44, 54) : scale(steel, k));
        if (hd < -0.06f && sdEllipse(hx, hy, -0.32f, -0.52f, 0.16f, 0.08f) < 0.f) over(o, rgb(255, 255, 255), 0.8f);
        if (battered) {
            if (sdSegment(hx, hy, -0.05f, -0.78f, 0.08f, -0.58f, 0.025f) < 0.f ||
                sdSegment(hx, hy, 0.08f, -0.58f, -0.06f, -0.4f, 0.025f) < 0.f ||
                sdSegment(hx, hy, -0.06f, -0.4f, 0.06f, -0.22f, 0.025f) < 0.f ||
                sdSegment(hx, hy, 0.08f, -0.58f, 0.3f, -0.5f, 0.02f) < 0.f)
                over(o, rgb(25, 25, 30));
        }
    }
    if (brim < 0.f) {
        over(o, brim > -0.035f ? rgb(40, 44, 54) : scale(steel, 0.86f));
        for (float rx : {-0.66f, -0.22f, 0.22f, 0.66f})
            if (!(battered && rx > 0.5f)) rivet(o, hx, hy, rx, -0.1f);
    }
    if (battered) {
        // Little stars circling the head.
        for (int i = 0; i < 3; ++i) {
            const float sx = -0.78f + 0.78f * static_cast<float>(i), sy = -0.86f + (i == 1 ? -0.06f : 0.06f);
            if (i == 1) continue;
            const float a = std::sqrt(std::fabs(x - sx)) + std::sqrt(std::fabs(y - sy));
            if (a < 0.42f) over(o, rgb(255, 240, 80));
        }
    }
    return o;
}

// ---- hit pictures ------------------------------------------------------

Rgba textOver(Rgba o, const TextShape& t, float x, float y, Rgb fill, Rgb edge, float edgeW) {
    const float d = t.distance(x, y);
    if (d < edgeW) over(o, d < 0.f ? fill : edge);
    return o;
}

const TextShape& hitText(int which) {
    static const TextShape pow = [] {
        const float cell = 0.08f;
        const float w = textWidthCells("POW") * cell;
        return layoutText("POW", -w / 2, -0.28f, cell, 0.02f);
    }();
    static const TextShape bam = [] {
        const float cell = 0.08f;
        const float w = textWidthCells("BAM") * cell;
        return layoutText("BAM", -w / 2, -0.28f, cell, 0.02f);
    }();
    return which == 0 ? pow : bam;
}

} // namespace

Rgba figureShader(int kind, bool battered, float x, float y) {
    switch (kind) {
    case 0: return roundBlob(x, y);
    case 1: return squareBlob(x, y);
    case 2: return spikyBlob(x, y);
    case 3: return tallBlob(x, y);
    case 4: return cyclops(x, y);
    default: return armoured(x, y, battered);
    }
}

Rgba hitShader(int which, float x, float y) {
    Rgba o;
    const float r = std::hypot(x, y);
    const float th = std::atan2(y, x);
    if (which == 0) {
        // Splat with droplets, hot in the middle.
        static const std::array<std::array<float, 3>, 7> drops = {{{-0.82f, -0.55f, 0.1f},
                                                                  {0.8f, -0.7f, 0.08f},
                                                                  {0.88f, 0.42f, 0.11f},
                                                                  {-0.7f, 0.78f, 0.09f},
                                                                  {0.1f, -0.92f, 0.07f},
                                                                  {-0.93f, 0.1f, 0.06f},
                                                                  {0.35f, 0.9f, 0.07f}}};
        const float edge = 0.7f + 0.13f * std::sin(5.f * th + 1.f) + 0.07f * std::sin(9.f * th + 0.3f) +
                           0.05f * std::sin(13.f * th);
        float d = r - edge;
        for (const auto& dr : drops) d = std::min(d, sdCircle(x, y, dr[0], dr[1], dr[2]));
        if (d < 0.f) {
            const float t = std::clamp(r / 0.8f, 0.f, 1.f);
            const Rgb c = t < 0.5f ? mix(rgb(255, 255, 210), rgb(255, 220, 40), t * 2.f)
                                   : mix(rgb(255, 220, 40), rgb(255, 120, 20), (t - 0.5f) * 2.f);
            over(o, d > -0.06f ? rgb(200, 30, 20) : c);
        }
        return textOver(o, hitText(0), x, y, rgb(230, 20, 40), rgb(90, 0, 20), 0.06f);
    }
    if (which == 1) {
        // Twelve-point starburst, red around yellow around white.
        const float saw = std::fabs(std::fmod((th + kPi) * 12.f / (2.f * kPi), 1.f) * 2.f - 1.f);
        const float outer = 0.55f + 0.42f * (1.f - saw);
        const float inner = 0.4f + 0.25f * (1.f - saw);
        const float d = (r - outer) * 0.6f;
        if (d < 0.f) over(o, d > -0.04f ? rgb(90, 0, 10) : rgb(235, 40, 30));
        const float d2 = (r - inner) * 0.6f;
        if (d2 < 0.f) over(o, d2 > -0.03f ? rgb(160, 40, 0) : mix(rgb(255, 255, 230), rgb(255, 210, 30), std::clamp(r / 0.55f, 0.f, 1.f)));
        return textOver(o, hitText(1), x, y, rgb(255, 255, 255), rgb(150, 0, 40), 0.07f);
    }
    // Ring of rays and sparkles around a white flash.
    const float ray = std::fabs(std::fmod((th + kPi) * 16.f / (2.f * kPi), 1.f) * 2.f - 1.f);
    if (r < 0.95f && r > 0.18f && ray < 0.3f * (1.f - r)) over(o, mix(rgb(120, 240, 255), rgb(40, 120, 255), r));
    const float core = r - (0.32f + 0.06f * std::sin(8.f * th));
    if (core < 0.f) over(o, mix(rgb(255, 255, 255), rgb(150, 230, 255), std::clamp(r / 0.35f, 0.f, 1.f)));
    for (int i = 0; i < 6; ++i) {
        const float a = static_cast<float>(i) * kPi / 3.f + 0.3f;
        const float sx = 0.66f * std::cos(a), sy = 0.66f * std::sin(a);
        const float k = std::sqrt(std::fabs(x - sx)) + std::sqrt(std::fabs(y - sy));
        if (k < 0.52f) over(o, k < 0.3f ? rgb(255, 255, 255) : (i % 2 ? rgb(255, 230, 60) : rgb(255, 120, 220)));
    }
    return o;
}

// ---- palette -----------------------------------------------------------

namespace {

struct Box {
    std::vector<std::array<float, 3>> pts;
};

std::vector<Rgb> medianCut(const std::vector<std::array<float, 3>>& pts, std::size_t want) {
    std::vector<Box> boxes(1);
    boxes[0].pts = pts;
    auto spread = [](const Box& b, int& axis) {
        float best = -1;
        for (int c = 0; c < 3; ++c) {
            float lo = 2, hi = -1;
            for (const auto& p : b.pts) {
                lo = std::min(lo, p[c]);
                hi = std::max(hi, p[c]);
            }
            if (hi - lo > best) {
                best = hi - lo;
                axis = c;
            }
        }
        return best;
    };
    while (boxes.size() < want) {
        int bestIdx = -1, bestAxis = 0;
        float bestScore = 0;
        for (std::size_t i = 0; i < boxes.size(); ++i) {
            if (boxes[i].pts.size() < 2) continue;
            int axis = 0;
            const float s = spread(boxes[i], axis) * std::sqrt(static_cast<float>(boxes[i].pts.size()));
            if (s > bestScore) {
                bestScore = s;
                bestIdx = static_cast<int>(i);
                bestAxis = axis;
            }
        }
        if (bestIdx < 0) break;
        Box& b = boxes[static_cast<std::size_t>(bestIdx)];
        std::stable_sort(b.pts.begin(), b.pts.end(),
                         [bestAxis](const auto& p, const auto& q) { return p[bestAxis] < q[bestAxis]; });
        Box other;
        const auto mid = b.pts.begin() + static_cast<std::ptrdiff_t>(b.pts.size() / 2);
        other.pts.assign(mid, b.pts.end());
        b.pts.erase(mid, b.pts.end());
        boxes.push_back(std::move(other));
    }
    std::vector<Rgb> pal;
    for (const auto& b : boxes) {
        double s[3] = {0, 0, 0};
        for (const auto& p : b.pts)
            for (int c = 0; c < 3; ++c) s[c] += p[c];
        const double n = static_cast<double>(b.pts.size());
        pal.push_back({static_cast<float>(s[0] / n), static_cast<float>(s[1] / n), static_cast<float>(s[2] / n)});
    }
    return pal;
}

std::uint8_t to8(float v) { return static_cast<std::uint8_t>(std::lround(std::clamp(v, 0.f, 1.f) * 255.f)); }

Rgb quantised(Rgb c) { return rgb(to8(c.r), to8(c.g), to8(c.b)); }

float dist2(Rgb a, Rgb b) {
    // Weighted towards green, as the eye is.
    const float dr = a.r - b.r, dg = a.g - b.g, db = a.b - b.b;
    return 3.f * dr * dr + 4.f * dg * dg + 2.f * db * db;
}

std::uint8_t nearest(const std::vector<Rgb>& pal, Rgb c, std::size_t from) {
    std::size_t best = 0;
    float bd = std::numeric_limits<float>::max();
    for (std::size_t i = from; i < pal.size(); ++i) {
        const float d = dist2(pal[i], c);
        if (d < bd) {
            bd = d;
            best = i;
        }
    }
    return static_cast<std::uint8_t>(best);
}

// Indexes a true-colour picture with a palette made for it: entry 0 black,
// entry 1 white, the rest by median cut refined by a few k-means passes.
IndexedImage indexImage(const Image& img) {
    std::vector<std::array<float, 3>> pts;
    for (const Rgb& p : img.px) {
        const Rgb q = quantised(p);
        if (q.r + q.g + q.b > 0.f) pts.push_back({q.r, q.g, q.b});
    }
    std::vector<Rgb> pal = {rgb(0, 0, 0), rgb(255, 255, 255)};
    std::vector<Rgb> cut = medianCut(pts, 254);
    pal.insert(pal.end(), cut.begin(), cut.end());
    for (int iter = 0; iter < 6; ++iter) {
        std::vector<std::array<double, 4>> acc(pal.size(), {0, 0, 0, 0});
        for (const auto& p : pts) {
            const Rgb c{p[0], p[1], p[2]};
            const std::size_t k = nearest(pal, c, 0);
            acc[k][0] += c.r;
            acc[k][1] += c.g;
            acc[k][2] += c.b;
            acc[k][3] += 1;
        }
        for (std::size_t k = 2; k < pal.size(); ++k)
            if (acc[k][3] > 0)
                pal[k] = {static_cast<float>(acc[k][0] / acc[k][3]), static_cast<float>(acc[k][1] / acc[k][3]),
                          static_cast<float>(acc[k][2] / acc[k][3])};
    }
    for (auto& c : pal) c = quantised(c);
    while (pal.size() < 256) pal.push_back(rgb(0, 0, 0));
    IndexedImage out;
    out.w = img.w;
    out.h = img.h;
    out.palette = pal;
    out.idx.resize(img.px.size());
    for (std::size_t i = 0; i < img.px.size(); ++i) {
        const Rgb q = quantised(img.px[i]);
        out.idx[i] = (q.r + q.g + q.b == 0.f) ? 0 : nearest(pal, q, 0);
    }
    return out;
}

} // namespace

// ---- strips ------------------------------------------------------------

IndexedImage makeBlorpStrip() {
    Image img(1600, 64);
    // Brightness of the three frames of a kind: fully lit, middle, faintest.
    const float level[3] = {1.f, 0.55f, 0.26f};
    for (int f = 1; f <= 24; ++f) {
        Shader sh;
        if (f <= 21) {
            const int kind = f <= 18 ? (f - 1) / 3 : 5;
            const bool battered = f >= 19;
            const float k = level[(f - 1) % 3];
            sh = [kind, battered, k](float x, float y) {
                Rgba s = figureShader(kind, battered, x, y);
                s.c = scale(s.c, k);
                return s;
            };
        } else {
            const int which = f - 22;
            sh = [which](float x, float y) { return hitShader(which, x, y); };
        }
        paint(img, f * 64, 0, 64, 64, -1.f, -1.f, 1.f, 1.f, 4, sh);
    }
    return indexImage(img);
}

IndexedImage makeClickStrip() {
    IndexedImage out;
    out.w = 600;
    out.h = 23;
    out.idx.assign(600 * 23, 0);
    out.palette = {rgb(0, 0, 0), rgb(255, 255, 255)};
    for (int v : {252, 220, 180, 152, 133, 111, 91, 78, 62, 45, 29, 17, 9, 3}) out.palette.push_back(rgb(v, 0, 0));
    // Palette indices by red level.
    auto red = [](int level) { return static_cast<std::uint8_t>(level + 2); }; // 0 = 252 ... 13 = 3
    const std::string text = "CLICK TO START";
    const int scale = 2;
    const float spacing = 1.5f;
    // Letters are set bold: every cell of the 5 x 7 font covers 3 x 2 pixels.
    const int textW = static_cast<int>(textWidthCells(text, spacing) * scale) + 1;
    struct Shade {
        std::uint8_t hi, top, mid, bottom, shadow;
    };
    // Bright, middle and dim frame.
    const Shade shades[3] = {{1, red(0), red(1), red(2), red(9)},
                             {red(1), red(3), red(4), red(5), red(11)},
                             {red(4), red(6), red(7), red(8), red(13)}};
    for (int f = 0; f < 3; ++f) {
        const Shade& s = shades[f];
        const int ox = f * 200 + (200 - textW) / 2;
        const int oy = 4;
        auto put = [&](int x, int y, std::uint8_t c) {
            if (x >= f * 200 && x < f * 200 + 200 && y >= 0 && y < 23) out.idx[static_cast<std::size_t>(y) * 600 + x] = c;
        };
        const TextShape t = layoutText(text, static_cast<float>(ox), static_cast<float>(oy), static_cast<float>(scale), 0.f, spacing);
        auto cellPixels = [&](auto&& fn) {
            for (const auto& [cx, cy] : t.cells) {
                const int x0 = static_cast<int>(std::floor(cx)) - 1, y0 = static_cast<int>(std::floor(cy)) - 1;
                const int row = (y0 - oy) / scale;
                for (int dy = 0; dy < scale; ++dy)
                    for (int dx = 0; dx <= scale; ++dx) fn(x0 + dx, y0 + dy, row, dy);
            }
        };
        // Drop shadow first, then the letters shaded from top to bottom with
        // a glint along their top row.
        cellPixels([&](int x, int y, int, int) {
            put(x + 1, y + 1, s.shadow);
            put(x + 1, y + 2, s.shadow);
        });
        cellPixels([&](int x, int y, int row, int dy) {
            std::uint8_t c = row < 3 ? s.top : row < 5 ? s.mid : s.bottom;
            if (row == 0 && dy == 0) c = s.hi;
            put(x, y, c);
        });
        // Pointing arrows on both sides, shadow first.
        for (int pass = 0; pass < 2; ++pass)
            for (int i = 0; i < 5; ++i)
                for (int j = -(4 - i); j <= 4 - i; ++j) {
                    const int y = oy + 6 + j;
                    const std::uint8_t c = pass == 0 ? s.shadow : (i == 0 || std::abs(j) == 4 - i) ? s.bottom : s.top;
                    put(f * 200 + 3 + i + (1 - pass), y + (1 - pass), c);
                    put(f * 200 + 196 - i + (1 - pass), y + (1 - pass), c);
                }
    }
    return out;
}

IndexedImage makeNumberStrip() {
    IndexedImage out;
    out.w = 176;
    out.h = 32;
    out.idx.assign(176 * 32, 0);
    out.palette = {rgb(0, 0, 0), rgb(255, 255, 255), rgb(255, 0, 0), rgb(117, 0, 0), rgb(255, 255, 255)};
    const char chars[] = "0123456789/";
    for (int f = 0; f < 11; ++f) {
        const std::uint8_t* g = glyphDigit(chars[f]);
        auto ink = [&](int gx, int gy) {
            if (gx < 0 || gx >= 6 || gy < 0 || gy >= 12) return false;
            return (g[gy] & (1u << (5 - gx))) != 0;
        };
        // 12 x 24 glyph at (2, 4) inside the 16 x 32 cell; the outer pixel
        // ring stays black.
        for (int y = 0; y < 32; ++y)
            for (int x = 0; x < 16; ++x) {
                if (x < 1 || x > 14 || y < 1 || y > 30) continue;
                const int gx = (x - 2) / 2, gy = (y - 4) / 2;
                std::uint8_t c = 0;
                if (x >= 2 && y >= 4 && ink(gx, gy)) {
                    // Body red; a white glint along top edges of strokes.
                    const bool topEdge = !ink(gx, gy - 1) && ((y - 4) % 2 == 0);
                    c = topEdge ? 1 : 2;
                } else {
                    // Dark red shadow one pixel down and right of the ink.
                    const int sx = x - 1, sy = y - 1;
                    if (sx >= 2 && sy >= 4) {
                        const int hx = (sx - 2) / 2, hy = (sy - 4) / 2;
                        if (ink(hx, hy)) c = 3;
                    }
                }
                out.idx[static_cast<std::size_t>(y) * 176 + static_cast<std::size_t>(f * 16 + x)] = c;
            }
    }
    return out;
}

IndexedImage makeIcon() {
    // The round red figure on the standard 16-colour palette.
    IndexedImage out;
    out.w = 32;
    out.h = 32;
    out.palette = {rgb(0, 0, 0),     rgb(128, 0, 0),   rgb(0, 128, 0),   rgb(128, 128, 0),
                   rgb(0, 0, 128),   rgb(128, 0, 128), rgb(0, 128, 128), rgb(192, 192, 192),
                   rgb(128, 128, 128), rgb(255, 0, 0), rgb(0, 255, 0),   rgb(255, 255, 0),
                   rgb(0, 0, 255),   rgb(255, 0, 255), rgb(0, 255, 255), rgb(255, 255, 255)};
    out.idx.assign(32 * 32, 0);
    Image img(32, 32);
    Image cover(32, 32);
    // Point-sampled so that every pixel takes one of the figure's own colours.
    paint(img, 0, 0, 32, 32, -1.f, -1.f, 1.f, 1.f, 1, [](float x, float y) { return figureShader(0, false, x, y); });
    paint(cover, 0, 0, 32, 32, -1.f, -1.f, 1.f, 1.f, 1, [](float x, float y) {
        Rgba s = figureShader(0, false, x, y);
        s.c = rgb(255, 255, 255);
        return s;
    });
    for (int y = 0; y < 32; ++y)
        for (int x = 0; x < 32; ++x) {
            const Rgb c = img.at(x, y);
            if (cover.at(x, y).r < 0.5f) {
                out.idx[static_cast<std::size_t>(y) * 32 + x] = 0xFF; // marks transparent
                continue;
            }
            // Map onto the few colours the figure uses so the shading stays clean.
            const float lum = 0.3f * c.r + 0.59f * c.g + 0.11f * c.b;
            std::uint8_t k;
            if (c.r > 0.85f && c.g > 0.85f && c.b > 0.85f) k = 15;
            else if (lum < 0.12f) k = 0;
            else if (c.g > 0.6f) k = 15; // gloss
            else if (c.r > 0.6f) k = 9;
            else k = 1;
            out.idx[static_cast<std::size_t>(y) * 32 + x] = k;
        }
    return out;
}

} // namespace assetgen
