// Synthesis of the four sound clips: 22050 Hz mono, written as 16-bit PCM.
#include "assetgen.h"

#include <algorithm>
#include <cmath>
#include <stdexcept>

namespace assetgen {

namespace {

constexpr double kRate = 22050.0;
constexpr double kTwoPi = 6.283185307179586;

double noteHz(int semitonesFromA4) { return 440.0 * std::pow(2.0, semitonesFromA4 / 12.0); }

// A bright, slightly hollow tone: odd harmonics with a touch of even ones.
double chip(double phase) {
    return std::sin(phase) + 0.33 * std::sin(3 * phase) + 0.18 * std::sin(5 * phase) + 0.12 * std::sin(2 * phase);
}

// A brassy tone: harmonics falling off as 1/n, opened up by `bright`.
double brass(double phase, double bright) {
    double s = 0;
    for (int n = 1; n <= 8; ++n) s += std::pow(bright, n - 1) * std::sin(n * phase) / n;
    return s;
}

struct Note {
    double start, length;
    int pitch; // semitones from A4
    double gain;
};

// Adds each note at its start: voice(note, t, hz) is its sample t seconds
// into it.
template <std::size_t N, class Voice>
void playNotes(const Note (&notes)[N], std::vector<double>& out, Voice voice) {
    for (const Note& n : notes) {
        const double f = noteHz(n.pitch);
        const auto s0 = static_cast<std::size_t>(n.start * kRate);
        const auto len = static_cast<std::size_t>(n.length * kRate);
        for (std::size_t i = 0; i < len && s0 + i < out.size(); ++i)
            out[s0 + i] += voice(n, static_cast<double>(i) / kRate, f);
    }
}

void startJingle(std::vector<double>& out) {
    // C5 E5 G5 C6 rising, then a held C6 over G5 with vibrato.
    const Note notes[] = {{0.00, 0.16, 3, 1.0},  {0.13, 0.16, 7, 1.0},  {0.26, 0.16, 10, 1.0},
                          {0.39, 0.60, 15, 1.0}, {0.39, 0.60, 10, 0.5}, {0.39, 0.60, 7, 0.35}};
    playNotes(notes, out, [](const Note& n, double t, double f) {
        const double vib = n.length > 0.3 ? 0.004 * std::sin(kTwoPi * 6.0 * t) * std::min(1.0, t / 0.2) : 0.0;
        const double env = std::min(1.0, t / 0.006) * std::exp(-t * (n.length > 0.3 ? 3.2 : 9.0));
        return n.gain * env * chip(kTwoPi * f * t * (1.0 + vib));
    });
    // A bright sparkle on top: short upward sweep.
    for (std::size_t i = 0; i < out.size(); ++i) {
        const double t = static_cast<double>(i) / kRate - 0.39;
        if (t < 0 || t > 0.25) continue;
        const double f = 2000 + 3000 * t / 0.25;
        out[i] += 0.12 * std::exp(-t * 10) * std::sin(kTwoPi * f * t);
    }
}

void bucha(std::vector<double>& out) {
    // A wet splat: a falling low thump, a burst of filtered noise that
    // closes down, and a short squelchy wobble.
    Rng rng(7);
    double lp = 0, bp1 = 0, bp2 = 0;
    double phase = 0;
    for (std::size_t i = 0; i < out.size(); ++i) {
        const double t = static_cast<double>(i) / kRate;
        const double f = 45 + 170 * std::exp(-t * 18);
        phase += kTwoPi * f / kRate;
        const double thump = std::sin(phase) * std::exp(-t * 9) * std::min(1.0, t / 0.002);
        const double noise = rng.range(-1.f, 1.f);
        // One-pole low-pass whose corner falls with time.
        const double cut = 0.05 + 0.6 * std::exp(-t * 14);
        lp += cut * (noise - lp);
        const double splash = lp * std::exp(-t * 7.5) * std::min(1.0, t / 0.003);
        // Resonant band-pass sweeping down: the "-cha".
        const double fc = 900 * std::exp(-t * 4) + 250;
        const double w = 2 * std::sin(kTwoPi * fc / (2 * kRate) * 1.0);
        bp1 += w * (noise - bp1 - 0.35 * bp2);
        bp2 += w * bp1;
        const double squelch = bp2 * 0.25 * std::exp(-std::pow((t - 0.12) / 0.09, 2.0));
        out[i] = 1.0 * thump + 1.3 * splash + squelch;
    }
}

void clank(std::vector<double>& out) {
    // Struck metal: inharmonic partials that die fast, plus a click.
    const double partials[][3] = {{1180, 1.0, 38}, {1765, 0.8, 45}, {2690, 0.6, 55}, {3570, 0.45, 60},
                                  {4810, 0.3, 70}, {620, 0.5, 30}};
    Rng rng(3);
    for (std::size_t i = 0; i < out.size(); ++i) {
        const double t = static_cast<double>(i) / kRate;
        double s = 0;
        for (const auto& p : partials) s += p[1] * std::exp(-t * p[2]) * std::sin(kTwoPi * p[0] * t);
        s += 1.2 * rng.range(-1.f, 1.f) * std::exp(-t * 400);
        out[i] = s * std::min(1.0, t / 0.0005);
    }
}

void fanfare(std::vector<double>& out) {
    // G4 C5 E5 in a quick triplet, G5 held, then a full C major chord.
    const Note notes[] = {{0.00, 0.14, -2, 0.9}, {0.14, 0.14, 3, 0.9},  {0.28, 0.14, 7, 0.9},
                          {0.42, 0.42, 10, 1.0}, {0.86, 1.2, 15, 0.8},  {0.86, 1.2, 10, 0.6},
                          {0.86, 1.2, 7, 0.55},  {0.86, 1.2, 3, 0.55},  {0.86, 1.2, -9, 0.5}};
    playNotes(notes, out, [](const Note& n, double t, double f) {
        const double rem = n.length - t;
        const double attack = std::min(1.0, t / 0.02);
        const double release = std::min(1.0, rem / 0.05);
        const double decay = n.length > 1.0 ? std::exp(-t * 1.3) : 0.85 + 0.15 * std::exp(-t * 8);
        const double vib = n.length > 0.4 ? 0.003 * std::sin(kTwoPi * 5.5 * t) * std::min(1.0, t / 0.3) : 0.0;
        const double bright = 0.55 + 0.3 * std::exp(-t * 6);
        return n.gain * attack * release * decay * brass(kTwoPi * f * t * (1.0 + vib), bright);
    });
}

} // namespace

std::vector<std::int16_t> makeSound(const std::string& name, std::size_t samples) {
    std::vector<double> s(samples, 0.0);
    if (name == "WaveStart") startJingle(s);
    else if (name == "WaveBucha") bucha(s);
    else if (name == "WaveBofu") clank(s);
    else if (name == "WaveEnd") fanfare(s);
    else throw std::invalid_argument("unknown sound " + name);
    // Short fades at both ends so that nothing clicks, then normalise to a
    // peak well below full scale.
    const std::size_t fadeIn = 22, fadeOut = std::min<std::size_t>(samples / 8, 330);
    for (std::size_t i = 0; i < fadeIn && i < samples; ++i) s[i] *= static_cast<double>(i) / fadeIn;
    for (std::size_t i = 0; i < fadeOut; ++i) s[samples - 1 - i] *= static_cast<double>(i) / fadeOut;
    double peak = 1e-9;
    for (double v : s) peak = std::max(peak, std::fabs(v));
    const double gain = 0.85 * 32767.0 / peak;
    std::vector<std::int16_t> out(samples);
    for (std::size_t i = 0; i < samples; ++i)
        out[i] = static_cast<std::int16_t>(std::lround(std::clamp(s[i] * gain, -32767.0, 32767.0)));
    return out;
}

} // namespace assetgen
