#include "png/PngFile.h"

#include <png.h>

#include <cstdio>
#include <vector>

namespace skr::tools {
namespace {

// Encodes the rows into an open file. (Only plain values live in this
// frame: libpng reports errors by a long jump back into it.)
bool Encode(FILE* f, const uint8_t* bytes, int width, int height, int channels) {
    png_structp png = png_create_write_struct(PNG_LIBPNG_VER_STRING, nullptr, nullptr, nullptr);
    if (!png) return false;
    png_infop info = png_create_info_struct(png);
    if (!info || setjmp(png_jmpbuf(png))) {
        png_destroy_write_struct(&png, info ? &info : nullptr);
        return false;
    }
    png_init_io(png, f);
    png_set_IHDR(png, info, static_cast<png_uint_32>(width), static_cast<png_uint_32>(height), 8,
                 channels == 4 ? PNG_COLOR_TYPE_RGBA : PNG_COLOR_TYPE_RGB, PNG_INTERLACE_NONE,
                 PNG_COMPRESSION_TYPE_DEFAULT, PNG_FILTER_TYPE_DEFAULT);
    png_write_info(png, info);
    for (int y = 0; y < height; ++y) png_write_row(png, bytes + static_cast<size_t>(y) * width * channels);
    png_write_end(png, nullptr);
    png_destroy_write_struct(&png, &info);
    return true;
}

}  // namespace

bool WritePng(const std::string& path, const uint32_t* pixels, int width, int height, bool alpha) {
    const int channels = alpha ? 4 : 3;
    std::vector<uint8_t> bytes(static_cast<size_t>(width) * height * channels);
    for (size_t i = 0; i < static_cast<size_t>(width) * height; ++i) {
        const uint32_t c = pixels[i];
        uint8_t* o = &bytes[i * channels];
        o[0] = static_cast<uint8_t>(c >> 16);
        o[1] = static_cast<uint8_t>(c >> 8);
        o[2] = static_cast<uint8_t>(c);
        if (alpha) o[3] = static_cast<uint8_t>(c >> 24);
    }
    FILE* f = std::fopen(path.c_str(), "wb");
    bool ok = f && Encode(f, bytes.data(), width, height, channels);
    if (f && std::fclose(f) != 0) ok = false;
    if (!ok) std::fprintf(stderr, "could not write %s\n", path.c_str());
    return ok;
}

}  // namespace skr::tools
