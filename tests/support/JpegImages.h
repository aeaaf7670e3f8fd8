// JPEG files encoded with libjpeg for the tests and benchmarks, and the
// stream payload a picture stores them in (a 32-bit length, then the file).
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <vector>

#include <jpeglib.h>

#include "core/Stream.h"

namespace skr::test {

struct JpegOptions {
    int quality = 95;
    bool grey = false;         // one component: the green byte of each pixel
    // Four components stored as YCCK, as Adobe writes CMYK: the pixel's
    // blue, green and red bytes, and 200 for the fourth.
    bool cmyk = false;
    bool progressive = false;
    bool fullChroma = false;   // 4:4:4 instead of libjpeg's default subsampling
    unsigned restartInterval = 0;  // in MCUs; 0: none
};

// A w x h JPEG file of pixel(x, y), which gives 0x00RRGGBB.
template <class Pixel>
std::vector<uint8_t> EncodeJpeg(int w, int h, Pixel pixel, const JpegOptions& o = {}) {
    jpeg_compress_struct c;
    jpeg_error_mgr err;
    c.err = jpeg_std_error(&err);
    jpeg_create_compress(&c);
    unsigned char* out = nullptr;
    unsigned long size = 0;
    jpeg_mem_dest(&c, &out, &size);
    c.image_width = static_cast<JDIMENSION>(w);
    c.image_height = static_cast<JDIMENSION>(h);
    c.input_components = o.grey ? 1 : o.cmyk ? 4 : 3;
    c.in_color_space = o.grey ? JCS_GRAYSCALE : o.cmyk ? JCS_CMYK : JCS_RGB;
    jpeg_set_defaults(&c);
    if (o.cmyk) jpeg_set_colorspace(&c, JCS_YCCK);
    jpeg_set_quality(&c, o.quality, TRUE);
    if (o.progressive) jpeg_simple_progression(&c);
    if (o.fullChroma)
        for (int i = 0; i < c.num_components; ++i) c.comp_info[i].h_samp_factor = c.comp_info[i].v_samp_factor = 1;
    c.restart_interval = o.restartInterval;
    jpeg_start_compress(&c, TRUE);
    std::vector<JSAMPLE> row(static_cast<size_t>(w) * c.input_components);
    while (c.next_scanline < c.image_height) {
        const int y = static_cast<int>(c.next_scanline);
        for (int x = 0; x < w; ++x) {
            const uint32_t p = pixel(x, y);
            if (o.grey) row[x] = JSAMPLE(p >> 8);
            else if (o.cmyk) row[4 * x] = JSAMPLE(p), row[4 * x + 1] = JSAMPLE(p >> 8), row[4 * x + 2] = JSAMPLE(p >> 16), row[4 * x + 3] = 200;
            else row[3 * x] = JSAMPLE(p >> 16), row[3 * x + 1] = JSAMPLE(p >> 8), row[3 * x + 2] = JSAMPLE(p);
        }
        JSAMPROW r = row.data();
        jpeg_write_scanlines(&c, &r, 1);
    }
    jpeg_finish_compress(&c);
    jpeg_destroy_compress(&c);
    std::vector<uint8_t> bytes(out, out + size);
    std::free(out);
    return bytes;
}

// The file as a picture's stream payload, positioned at its start.
inline TMemoryStream JpegPayload(const std::vector<uint8_t>& jpeg) {
    TMemoryStream s;
    s.WriteU32(static_cast<uint32_t>(jpeg.size()));
    s.WriteBuffer(jpeg.data(), jpeg.size());
    s.SetPosition(0);
    return s;
}

}  // namespace skr::test
