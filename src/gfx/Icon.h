// TIcon: an icon file (header, directory, images) kept whole. The image that
// suits a requested size and colour depth is chosen and decoded when needed:
// a DIB of 1, 4, 8, 24 or 32 bits per pixel with its AND mask, into straight
// ARGB pixels for the window icon, or drawn through its mask onto a canvas.
// Images stored as PNG are rejected with a clear error.
#pragma once

#include <cstdint>
#include <vector>

#include "gfx/Graphic.h"

namespace skr {

class TIcon : public TGraphic {
public:
    SKR_CLASS_INFO()

    // The size the window and the desktop ask for by default.
    static constexpr int kDefaultSize = 32;

    bool Empty() const override { return data_.empty(); }
    // Size of the image chosen for kDefaultSize at full colour depth.
    int Width() const override;
    int Height() const override;
    void Draw(TCanvas& canvas, const TRect& dest) override;

    // The whole payload is the icon file.
    void ReadData(TStream& stream) override;
    void WriteData(TStream& stream) const override;
    void Assign(const TPersistent* source) override;
    void DefineProperties(TFiler& filer) override;

    int ImageCount() const noexcept { return static_cast<int>(entries_.size()); }
    // Index of the image that best suits size x size at bitsPerPixel: the
    // nearest size (a larger one before a smaller one at equal distance),
    // then the deepest colour not above bitsPerPixel, else the shallowest.
    int ChooseImage(int size, int bitsPerPixel) const noexcept;
    // Decodes the chosen image into 0xAARRGGBB pixels (alpha 0 or 255 unless
    // the image carries its own alpha), rows top-down; w, h receive its size.
    std::vector<uint32_t> ToArgb(int size, int& w, int& h, int bitsPerPixel = 32) const;
    // Decodes image index of the directory.
    std::vector<uint32_t> DecodeImage(int index, int& w, int& h) const;

private:
    struct Entry {
        int width = 0;
        int height = 0;
        int bits = 0;
        uint32_t size = 0;
        uint32_t offset = 0;
    };

    std::vector<uint8_t> data_;
    std::vector<Entry> entries_;
    // Draw's decoded image, made at the first draw.
    std::vector<uint32_t> drawCache_;
    int cacheW_ = 0, cacheH_ = 0;
};

}  // namespace skr
