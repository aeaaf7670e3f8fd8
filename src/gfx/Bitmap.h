// TBitmap: a device-independent bitmap decoded once, at load, into 32-bit
// pixels (0x00RRGGBB, rows top-down), the format the canvas copies fastest.
// Keeps the BMP file it was loaded from so it can be written back unchanged.
#pragma once

#include <cstdint>
#include <optional>
#include <vector>

#include "gfx/Canvas.h"
#include "gfx/Graphic.h"

namespace skr {

class TBitmap : public TGraphic {
public:
    SKR_CLASS_INFO()

    TBitmap() = default;

    bool Empty() const override { return width_ == 0 || height_ == 0; }
    int Width() const override { return width_; }
    int Height() const override { return height_; }
    void Draw(TCanvas& canvas, const TRect& dest) override;

    // Picture payload / Bitmap.Data: 4-byte length, then the BMP file (0: empty).
    void ReadData(TStream& stream) override;
    void WriteData(TStream& stream) const override;
    // A whole BMP file ("BM" header onwards) of exactly the stream's rest.
    void LoadFromStream(TStream& stream);
    void SaveToStream(TStream& stream) const;

    // Replaces the image by a blank one of that size (black); notifies.
    void SetSize(int width, int height);
    const uint32_t* Scanline(int y) const noexcept { return pixels_.data() + static_cast<size_t>(y) * width_; }
    uint32_t* Scanline(int y) noexcept { return pixels_.data() + static_cast<size_t>(y) * width_; }
    TPixelView View() noexcept { return TPixelView{pixels_.data(), width_, height_, width_}; }
    // A canvas over the bitmap's pixels; call Modified() after drawing.
    TCanvas Canvas() noexcept { return TCanvas(View()); }
    void Modified();

    bool Monochrome() const noexcept { return monochrome_; }
    // Key colour for transparent drawing: the fixed one if set, otherwise
    // white for a monochrome bitmap, otherwise the bottom-left pixel.
    uint32_t KeyPixel() const noexcept;
    void SetTransparentColor(std::optional<uint32_t> pixel) noexcept { fixedKey_ = pixel; }

    void Assign(const TPersistent* source) override;
    void DefineProperties(TFiler& filer) override;

private:
    int width_ = 0;
    int height_ = 0;
    bool monochrome_ = false;
    std::optional<uint32_t> fixedKey_;
    std::vector<uint32_t> pixels_;
    std::vector<uint8_t> file_;  // the BMP file as loaded; empty once drawn into
};

}  // namespace skr
