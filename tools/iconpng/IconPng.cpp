// Writes the program's own icon ("MAINICON", the one the window shows) as
// PNG files of the icon theme's sizes, for the desktop: OUT/skrundle-N.png.
// Sizes other than the icon's own are scaled by nearest neighbour, which
// keeps its pixels sharp.
//   skr_iconpng OUT SIZE...
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
    if (argc < 3) {
        std::fputs("usage: skr_iconpng OUT SIZE...\n", stderr);
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
        std::vector<uint32_t> scaled(static_cast<size_t>(size) * size);
        for (int y = 0; y < size; ++y)
            for (int x = 0; x < size; ++x) scaled[static_cast<size_t>(y) * size + x] = argb[(y * h / size) * w + x * w / size];
        if (!skr::tools::WritePng(std::string(argv[1]) + "/skrundle-" + argv[i] + ".png", scaled.data(), size, size, true))
            return 1;
    }
    return 0;
}
