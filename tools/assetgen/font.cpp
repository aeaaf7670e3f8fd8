// The generator's two hand-made bitmap fonts: a 5 x 7 font of capitals,
// digits and a little punctuation, and 6 x 12 digits for the counter strip.
#include "assetgen.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <limits>

namespace assetgen {

namespace {

struct Glyph57 {
    char c;
    std::array<const char*, 7> rows;
};

// '#' is ink. Rows top to bottom.
constexpr Glyph57 kFont[] = {
    {'A', {".###.", "#...#", "#...#", "#####", "#...#", "#...#", "#...#"}},
    {'B', {"####.", "#...#", "#...#", "####.", "#...#", "#...#", "####."}},
    {'C', {".###.", "#...#", "#....", "#....", "#....", "#...#", ".###."}},
    {'D', {"####.", "#...#", "#...#", "#...#", "#...#", "#...#", "####."}},
    {'E', {"#####", "#....", "#....", "####.", "#....", "#....", "#####"}},
    {'F', {"#####", "#....", "#....", "####.", "#....", "#....", "#...."}},
    {'G', {".###.", "#...#", "#....", "#.###", "#...#", "#...#", ".####"}},
    {'H', {"#...#", "#...#", "#...#", "#####", "#...#", "#...#", "#...#"}},
    {'I', {".###.", "..#..", "..#..", "..#..", "..#..", "..#..", ".###."}},
    {'J', {"..###", "...#.", "...#.", "...#.", "...#.", "#..#.", ".##.."}},
    {'K', {"#...#", "#..#.", "#.#..", "##...", "#.#..", "#..#.", "#...#"}},
    {'L', {"#....", "#....", "#....", "#....", "#....", "#....", "#####"}},
    {'M', {"#...#", "##.##", "#.#.#", "#.#.#", "#...#", "#...#", "#...#"}},
    {'N', {"#...#", "#...#", "##..#", "#.#.#", "#..##", "#...#", "#...#"}},
    {'O', {".###.", "#...#", "#...#", "#...#", "#...#", "#...#", ".###."}},
    {'P', {"####.", "#...#", "#...#", "####.", "#....", "#....", "#...."}},
    {'Q', {".###.", "#...#", "#...#", "#...#", "#.#.#", "#..#.", ".##.#"}},
    {'R', {"####.", "#...#", "#...#", "####.", "#.#..", "#..#.", "#...#"}},
    {'S', {".####", "#....", "#....", ".###.", "....#", "....#", "####."}},
    {'T', {"#####", "..#..", "..#..", "..#..", "..#..", "..#..", "..#.."}},
    {'U', {"#...#", "#...#", "#...#", "#...#", "#...#", "#...#", ".###."}},
    {'V', {"#...#", "#...#", "#...#", "#...#", "#...#", ".#.#.", "..#.."}},
    {'W', {"#...#", "#...#", "#...#", "#.#.#", "#.#.#", "#.#.#", ".#.#."}},
    {'X', {"#...#", "#...#", ".#.#.", "..#..", ".#.#.", "#...#", "#...#"}},
    {'Y', {"#...#", "#...#", "#...#", ".#.#.", "..#..", "..#..", "..#.."}},
    {'Z', {"#####", "....#", "...#.", "..#..", ".#...", "#....", "#####"}},
    {'0', {".###.", "#...#", "#..##", "#.#.#", "##..#", "#...#", ".###."}},
    {'1', {"..#..", ".##..", "..#..", "..#..", "..#..", "..#..", ".###."}},
    {'2', {".###.", "#...#", "....#", "...#.", "..#..", ".#...", "#####"}},
    {'3', {"#####", "...#.", "..#..", "...#.", "....#", "#...#", ".###."}},
    {'4', {"...#.", "..##.", ".#.#.", "#..#.", "#####", "...#.", "...#."}},
    {'5', {"#####", "#....", "####.", "....#", "....#", "#...#", ".###."}},
    {'6', {"..##.", ".#...", "#....", "####.", "#...#", "#...#", ".###."}},
    {'7', {"#####", "....#", "...#.", "..#..", ".#...", ".#...", ".#..."}},
    {'8', {".###.", "#...#", "#...#", ".###.", "#...#", "#...#", ".###."}},
    {'9', {".###.", "#...#", "#...#", ".####", "....#", "...#.", ".##.."}},
    {'!', {"..#..", "..#..", "..#..", "..#..", "..#..", ".....", "..#.."}},
    {'?', {".###.", "#...#", "....#", "...#.", "..#..", ".....", "..#.."}},
    {'-', {".....", ".....", ".....", "#####", ".....", ".....", "....."}},
    {'/', {"....#", "....#", "...#.", "..#..", ".#...", "#....", "#...."}},
    {'.', {".....", ".....", ".....", ".....", ".....", ".##..", ".##.."}},
    {':', {".....", ".##..", ".##..", ".....", ".##..", ".##..", "....."}},
    {'+', {".....", "..#..", "..#..", "#####", "..#..", "..#..", "....."}},
    {' ', {".....", ".....", ".....", ".....", ".....", ".....", "....."}},
};

struct GlyphDigit {
    char c;
    std::array<const char*, 12> rows;
};

constexpr GlyphDigit kDigits[] = {
    {'0', {".####.", "######", "##..##", "##..##", "##..##", "##..##", "##..##", "##..##", "##..##",
           "##..##", "######", ".####."}},
    {'1', {"..##..", ".###..", "####..", "..##..", "..##..", "..##..", "..##..", "..##..", "..##..",
           "..##..", "######", "######"}},
    {'2', {".####.", "######", "##..##", "....##", "...###", "..###.", ".###..", "###...", "##....",
           "##....", "######", "######"}},
    {'3', {".####.", "######", "##..##", "....##", "..###.", "..###.", "....##", "....##", "....##",
           "##..##", "######", ".####."}},
    {'4', {"...###", "..####", ".##.##", "##..##", "##..##", "######", "######", "....##", "....##",
           "....##", "....##", "....##"}},
    {'5', {"######", "######", "##....", "##....", "#####.", "######", "....##", "....##", "....##",
           "##..##", "######", ".####."}},
    {'6', {".####.", "######", "##..##", "##....", "#####.", "######", "##..##", "##..##", "##..##",
           "##..##", "######", ".####."}},
    {'7', {"######", "######", "##..##", "....##", "...##.", "...##.", "..##..", "..##..", "..##..",
           "..##..", "..##..", "..##.."}},
    {'8', {".####.", "######", "##..##", "##..##", "######", ".####.", "######", "##..##", "##..##",
           "##..##", "######", ".####."}},
    {'9', {".####.", "######", "##..##", "##..##", "##..##", "######", ".#####", "....##", "....##",
           "##..##", "######", ".####."}},
    {'/', {"....##", "....##", "...##.", "...##.", "...##.", "..##..", "..##..", ".##...", ".##...",
           ".##...", "##....", "##...."}},
};

template <std::size_t N, std::size_t W>
std::array<std::uint8_t, N> pack(const std::array<const char*, N>& rows) {
    std::array<std::uint8_t, N> out{};
    for (std::size_t r = 0; r < N; ++r) {
        std::uint8_t bits = 0;
        for (std::size_t c = 0; c < W; ++c)
            if (rows[r][c] == '#') bits = static_cast<std::uint8_t>(bits | (1u << (W - 1 - c)));
        out[r] = bits;
    }
    return out;
}

struct Tables {
    std::array<std::array<std::uint8_t, 7>, 128> font{};
    std::array<std::array<std::uint8_t, 12>, 128> digits{};
    Tables() {
        for (const auto& g : kFont) font[static_cast<unsigned char>(g.c)] = pack<7, 5>(g.rows);
        for (const auto& g : kDigits) digits[static_cast<unsigned char>(g.c)] = pack<12, 6>(g.rows);
    }
};

const Tables& tables() {
    static const Tables t;
    return t;
}

// Columns a glyph occupies: letters and digits keep all five, punctuation
// is trimmed to its ink so that "GREAT!" does not gape.
std::pair<int, int> inkColumns(char c) {
    if (c == ' ') return {0, 2};
    if ((c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') || c == '-' || c == '+' || c == '/' || c == '?')
        return {0, 4};
    const std::uint8_t* g = glyph5x7(c);
    int lo = 4, hi = 0;
    for (int r = 0; r < 7; ++r)
        for (int col = 0; col < 5; ++col)
            if (g[r] & (1u << (4 - col))) {
                lo = std::min(lo, col);
                hi = std::max(hi, col);
            }
    if (lo > hi) return {0, 2};
    return {lo, hi};
}

} // namespace

const std::uint8_t* glyph5x7(char c) {
    const unsigned char u = static_cast<unsigned char>(c);
    return tables().font[u < 128 ? u : ' '].data();
}

const std::uint8_t* glyphDigit(char c) {
    const unsigned char u = static_cast<unsigned char>(c);
    return tables().digits[u < 128 ? u : '0'].data();
}

float textWidthCells(const std::string& text, float spacingCells) {
    float w = 0;
    for (std::size_t i = 0; i < text.size(); ++i) {
        const auto [lo, hi] = inkColumns(text[i]);
        w += static_cast<float>(hi - lo + 1);
        if (i + 1 < text.size()) w += spacingCells;
    }
    return w;
}

TextShape layoutText(const std::string& text, float ox, float oy, float cell, float round, float spacingCells) {
    TextShape t;
    t.half = cell * 0.5f + round;
    t.round = round;
    float x = ox;
    for (char c : text) {
        const auto [lo, hi] = inkColumns(c);
        const std::uint8_t* g = glyph5x7(c);
        for (int r = 0; r < 7; ++r)
            for (int col = lo; col <= hi; ++col)
                if (g[r] & (1u << (4 - col)))
                    t.cells.emplace_back(x + (static_cast<float>(col - lo) + 0.5f) * cell,
                                         oy + (static_cast<float>(r) + 0.5f) * cell);
        x += (static_cast<float>(hi - lo + 1) + spacingCells) * cell;
    }
    t.minx = ox - round;
    t.miny = oy - round;
    t.maxx = x - spacingCells * cell + round;
    t.maxy = oy + 7 * cell + round;
    return t;
}

float TextShape::distance(float x, float y) const {
    // Far from the text the exact value does not matter; keep it cheap.
    const float bx = std::max({minx - x, x - maxx, 0.f});
    const float by = std::max({miny - y, y - maxy, 0.f});
    const float far = std::hypot(bx, by);
    if (far > 2.f * half + 40.f) return far;
    float d = std::numeric_limits<float>::max();
    for (const auto& [cx, cy] : cells) {
        if (std::fabs(x - cx) - half > d || std::fabs(y - cy) - half > d) continue;
        d = std::min(d, sdBox(x, y, cx, cy, half, half, round));
    }
    return d;
}

} // namespace assetgen
