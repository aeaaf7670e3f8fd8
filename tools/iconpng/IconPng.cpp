// Writes the program's own icon ("MAINICON", the one the window shows) as
// PNG files of the icon theme's sizes, for the desktop: OUT/skrundle-N.png.
// Sizes other than the icon's own are scaled by nearest neighbour, which
// keeps its pixels sharp.
//   skr_iconpng [--maskable] OUT SIZE...
// --maskable writes OUT/skrundle-maskable-N.png instead: opaque, the picture
// on black inside the central circle of 80 % of the size that a launcher's
// mask always keeps, at a whole multiple of its size where one fits.
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "core/Exception.h"
#include "core/Stream.h"
#include "gfx/Icon.h"
#include "platform/Resources.h"
#include "png/PngFile.h"

int main(int argc, char** argv) {
    const bool maskable = argc > 1 && std::string(argv[1]) == "--maskable";
    if (maskable) {
        --argc;
        ++argv;
    }
    if (argc < 3) {
        std::fputs("usage: skr_iconpng [--maskable] OUT SIZE...\n", stderr);
        return 2;
    }
    const std::span<const uint8_t> bytes = skr::platform::FindProgramResource("MAINICON");
    if (bytes.empty()) {
        std::fputs("skr_iconpng: the program carries no icon\n", stderr);
        return 1;
    }
    std::vector<uint32_t> argb;
    int w = 0, h = 0;
    try {
        skr::TIcon icon;
        skr::TSpanStream s(bytes);
        icon.ReadData(s);
        argb = icon.ToArgb(256, w, h);
    } catch (const skr::Exception& e) {
        std::fprintf(stderr, "skr_iconpng: %s\n", e.what());
        return 1;
    }
    if (argb.empty() || w <= 0 || h <= 0) {
        std::fputs("skr_iconpng: the icon has no image\n", stderr);
        return 1;
    }
    for (int i = 2; i < argc; ++i) {
        char* end = nullptr;
        const long n = std::strtol(argv[i], &end, 10);
        if (!end || *end || n < 1 || n > 1024) {
            std::fprintf(stderr, "skr_iconpng: not a size: %s\n", argv[i]);
            return 2;
        }
        const int size = static_cast<int>(n);
        // The picture's square: the whole icon, or the largest square inside
        // the safe circle (its diagonal the circle's diameter).
        int inner = size;
        if (maskable) {
            inner = static_cast<int>(std::floor(size * 0.8 / std::sqrt(2.0)));
            if (inner >= w) inner -= inner % w;
            if (inner < 1) inner = 1;
        }
        const int offset = (size - inner) / 2;
        std::vector<uint32_t> scaled(static_cast<size_t>(size) * size, maskable ? 0xFF000000u : 0u);
        for (int y = 0; y < inner; ++y)
            for (int x = 0; x < inner; ++x) {
                const uint32_t p = argb[(y * h / inner) * w + x * w / inner];
                scaled[static_cast<size_t>(y + offset) * size + x + offset] = maskable && p < 0xFF000000u ? 0xFF000000u : p;
            }
        const std::string name = std::string(argv[1]) + (maskable ? "/skrundle-maskable-" : "/skrundle-") + argv[i] + ".png";
        if (!skr::tools::WritePng(name, scaled.data(), size, size, !maskable)) return 1;
    }
    return 0;
}
