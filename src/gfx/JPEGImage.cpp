#include "gfx/JPEGImage.h"

#include <csetjmp>
#include <cstdio>  // jpeglib.h needs FILE and size_t first

#include <jerror.h>
#include <jpeglib.h>

#include "core/Exception.h"
#include "core/Filer.h"
#include "core/Messages.h"
#include "core/Stream.h"
#include "core/Text.h"
#include "gfx/Messages.h"

namespace skr {

namespace {

// Largest image accepted, checked at load from its header: 2048 x 2048
// pixels (16 MiB decoded), 37 times the program's own 385 x 289 pictures.
// libjpeg allows 65500 a side, so without it a header of a few hundred
// bytes could ask for gigabytes and seconds of decoding at the first draw.
constexpr int64_t kMaxPixels = int64_t{1} << 22;
// Bound on libjpeg's own working memory (progressive coefficient buffers of
// the largest image accepted take about 24 MiB).
constexpr long kMaxLibjpegMemory = 64L << 20;

// libjpeg's error exit must not unwind C frames with a C++ exception, so it
// jumps back to the setjmp in the functions below. Those functions keep all
// their state in this plain struct, which lives in the caller's frame, and
// hold no C++ object that a jump could skip.
struct ErrorManager {
    jpeg_error_mgr pub;  // first: libjpeg hands back a pointer to it
    std::jmp_buf jump;
};

struct JpegContext {
    jpeg_decompress_struct cinfo;
    ErrorManager err;
    // Results.
    int width;
    int height;
    bool grayscale;
    bool progressive;
};

extern "C" void ErrorExit(j_common_ptr cinfo) {
    std::longjmp(reinterpret_cast<ErrorManager*>(cinfo->err)->jump, 1);
}
extern "C" void EmitMessage(j_common_ptr, int) {}
extern "C" void OutputMessage(j_common_ptr) {}

void Setup(JpegContext* ctx) {
    ctx->cinfo.err = jpeg_std_error(&ctx->err.pub);
    ctx->err.pub.error_exit = ErrorExit;
    ctx->err.pub.emit_message = EmitMessage;
    ctx->err.pub.output_message = OutputMessage;
}

// Reads the header. Returns 0, or libjpeg's message number on failure.
int ReadHeader(JpegContext* ctx, const uint8_t* data, size_t size) {
    Setup(ctx);
    if (setjmp(ctx->err.jump)) {
        jpeg_destroy_decompress(&ctx->cinfo);
        return ctx->err.pub.msg_code ? ctx->err.pub.msg_code : JERR_BAD_STATE;
    }
    jpeg_create_decompress(&ctx->cinfo);
    jpeg_mem_src(&ctx->cinfo, data, static_cast<unsigned long>(size));
    jpeg_read_header(&ctx->cinfo, TRUE);
    ctx->width = static_cast<int>(ctx->cinfo.image_width);
    ctx->height = static_cast<int>(ctx->cinfo.image_height);
    ctx->grayscale = ctx->cinfo.jpeg_color_space == JCS_GRAYSCALE;
    ctx->progressive = ctx->cinfo.progressive_mode != 0;
    jpeg_destroy_decompress(&ctx->cinfo);
    return 0;
}

// Decodes the whole image into out (ctx->width x ctx->height pixels, already
// allocated by the caller). Returns 0, or libjpeg's message number.
int Decode(JpegContext* ctx, const uint8_t* data, size_t size, bool quantize, uint32_t* out) {
    Setup(ctx);
    if (setjmp(ctx->err.jump)) {
        jpeg_destroy_decompress(&ctx->cinfo);
        return ctx->err.pub.msg_code ? ctx->err.pub.msg_code : JERR_BAD_STATE;
    }
    jpeg_decompress_struct* ci = &ctx->cinfo;
    jpeg_create_decompress(ci);
    ci->mem->max_memory_to_use = kMaxLibjpegMemory;
    jpeg_mem_src(ci, data, static_cast<unsigned long>(size));
    jpeg_read_header(ci, TRUE);
    const bool cmyk = ci->jpeg_color_space == JCS_CMYK || ci->jpeg_color_space == JCS_YCCK;
    ci->out_color_space = cmyk ? JCS_CMYK : ci->jpeg_color_space == JCS_GRAYSCALE ? JCS_GRAYSCALE : JCS_RGB;
    ci->scale_num = ci->scale_denom = 1;
    ci->do_block_smoothing = TRUE;
    if (quantize && !cmyk) {
        ci->quantize_colors = TRUE;
        ci->desired_number_of_colors = 236;
    }
    jpeg_start_decompress(ci);
    if (static_cast<int>(ci->output_width) != ctx->width || static_cast<int>(ci->output_height) != ctx->height)
        ERREXIT(ci, JERR_BAD_STATE);  // header changed between load and decode: cannot happen
    const int comps = ci->output_components;
    JSAMPARRAY row = (*ci->mem->alloc_sarray)(reinterpret_cast<j_common_ptr>(ci), JPOOL_IMAGE,
                                               ci->output_width * comps, 1);
    while (ci->output_scanline < ci->output_height) {
        uint32_t* px = out + static_cast<size_t>(ci->output_scanline) * ctx->width;
        jpeg_read_scanlines(ci, row, 1);
        const JSAMPLE* in = row[0];
        if (ci->quantize_colors) {
            JSAMPARRAY map = ci->colormap;
            for (int x = 0; x < ctx->width; ++x) {
                const int i = in[x];
                px[x] = ci->out_color_components == 1
                            ? uint32_t(map[0][i]) * 0x010101u
                            : uint32_t(map[0][i]) << 16 | uint32_t(map[1][i]) << 8 | map[2][i];
            }
        } else if (comps == 1) {
            for (int x = 0; x < ctx->width; ++x) px[x] = uint32_t(in[x]) * 0x010101u;
        } else if (comps == 3) {
            for (int x = 0; x < ctx->width; ++x)
                px[x] = uint32_t(in[3 * x]) << 16 | uint32_t(in[3 * x + 1]) << 8 | in[3 * x + 2];
        } else {
            // CMYK as Adobe writes it (inverted): channel * K / 255.
            for (int x = 0; x < ctx->width; ++x) {
                const JSAMPLE* p = in + 4 * x;
                const unsigned k = p[3];
                px[x] = (p[0] * k / 255) << 16 | (p[1] * k / 255) << 8 | (p[2] * k / 255);
            }
        }
    }
    jpeg_finish_decompress(ci);
    jpeg_destroy_decompress(ci);
    return 0;
}

[[noreturn]] void RaiseJpegError(int code) { throw EJPEG(Format(msg::JpegError, code)); }

}  // namespace

const TClassInfo& TJPEGImage::StaticClass() {
    static const TClassInfo info{.name = "TJPEGImage", .parent = &TGraphic::StaticClass()};
    return info;
}

void TJPEGImage::SetData(std::vector<uint8_t> data) {
    int w = 0, h = 0;
    bool grey = false, progressive = false;
    if (!data.empty()) {
        JpegContext ctx{};
        if (const int code = ReadHeader(&ctx, data.data(), data.size())) RaiseJpegError(code);
        // In 64 bits: long has 32 on Windows, where 65000 x 65000 would overflow.
        if (int64_t{ctx.width} * ctx.height > kMaxPixels) RaiseJpegError(JERR_IMAGE_TOO_BIG);
        w = ctx.width;
        h = ctx.height;
        grey = ctx.grayscale;
        progressive = ctx.progressive;
    }
    data_ = std::move(data);
    width_ = w;
    height_ = h;
    grayscale_ = grey;
    progressive_ = progressive;
    failed_ = false;
    pixels_.clear();
    pixels_.shrink_to_fit();
    Changed();
}

void TJPEGImage::ReadData(TStream& stream) {
    const uint32_t n = stream.ReadU32();
    if (n > stream.Remaining()) throw EReadError(msg::ReadError);
    std::vector<uint8_t> bytes(n);
    stream.ReadBuffer(bytes.data(), n);
    SetData(std::move(bytes));
}

void TJPEGImage::WriteData(TStream& stream) const {
    stream.WriteU32(static_cast<uint32_t>(data_.size()));
    stream.WriteBuffer(data_.data(), data_.size());
}

void TJPEGImage::Assign(const TPersistent* source) {
    if (auto* j = dynamic_cast<const TJPEGImage*>(source)) {
        if (j != this) SetData(j->data_);
        return;
    }
    TGraphic::Assign(source);
}

void TJPEGImage::DIBNeeded(int displayBitsPerPixel) {
    if (data_.empty() || failed_ || !pixels_.empty()) return;
    std::vector<uint32_t> pixels(static_cast<size_t>(width_) * height_);
    JpegContext ctx{};
    ctx.width = width_;
    ctx.height = height_;
    const int code = Decode(&ctx, data_.data(), data_.size(), displayBitsPerPixel <= 8, pixels.data());
    if (code) {
        // Remember the failure: the next repaint draws nothing instead of
        // raising the same error again.
        failed_ = true;
        RaiseJpegError(code);
    }
    pixels_ = std::move(pixels);
}

void TJPEGImage::Draw(TCanvas& canvas, const TRect& dest) {
    DIBNeeded(canvas.DisplayBitsPerPixel());
    if (pixels_.empty()) return;
    canvas.CopyPixels(dest, View());
}

}  // namespace skr
