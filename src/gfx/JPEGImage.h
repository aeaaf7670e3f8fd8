// TJPEGImage: a JPEG picture kept compressed. Loading reads only the header
// (size, greyscale, progressive); the first Draw decodes the whole image at
// full size with block smoothing into 32-bit pixels, which later draws reuse.
// libjpeg errors raise EJPEG "JPEG エラー #<message number>"; its warnings are
// silenced. A stream that fails at its first decode raises once; later draws
// draw nothing.
#pragma once

#include <cstdint>
#include <vector>

#include "gfx/Canvas.h"
#include "gfx/Graphic.h"

namespace skr {

class TJPEGImage : public TGraphic {
public:
    SKR_CLASS_INFO()

    bool Empty() const override { return data_.empty(); }
    int Width() const override { return width_; }
    int Height() const override { return height_; }
    bool Grayscale() const noexcept { return grayscale_; }
    bool ProgressiveEncoding() const noexcept { return progressive_; }
    void Draw(TCanvas& canvas, const TRect& dest) override;

    // Picture payload: 4-byte length n, then n bytes of JPEG stream.
    void ReadData(TStream& stream) override;
    void WriteData(TStream& stream) const override;
    void Assign(const TPersistent* source) override;

    // Decodes now if not yet done (Draw does this itself, for its canvas's
    // display) for a display of that many bits per pixel: at 8 or fewer the
    // image is quantised to 236 colours. Raises once on a stream libjpeg
    // rejects; afterwards DecodeFailed() is true.
    void DIBNeeded(int displayBitsPerPixel = 32);
    bool Decoded() const noexcept { return !pixels_.empty(); }
    bool DecodeFailed() const noexcept { return failed_; }
    // The decoded pixels (0x00RRGGBB, rows top-down); empty before decoding.
    TPixelView View() noexcept { return TPixelView{pixels_.data(), width_, height_, width_}; }

private:
    void SetData(std::vector<uint8_t> data);

    std::vector<uint8_t> data_;  // the compressed stream
    int width_ = 0;
    int height_ = 0;
    bool grayscale_ = false;
    bool progressive_ = false;
    bool failed_ = false;
    std::vector<uint32_t> pixels_;
};

}  // namespace skr
