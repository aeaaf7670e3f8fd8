// TFont: the window's font. Kept with the window and written back; nothing
// in the program draws text.
#pragma once

#include <string>

#include "core/Persistent.h"
#include "gfx/Color.h"

namespace skr {

class TFont : public TPersistent {
public:
    SKR_CLASS_INFO()

    int64_t Charset() const { return charset_; }
    void SetCharset(int64_t v) { charset_ = static_cast<uint8_t>(v); }
    int64_t Color() const { return color_; }
    void SetColor(int64_t v) { color_ = static_cast<TColor>(v); }
    int64_t Height() const { return height_; }
    void SetHeight(int64_t v) { height_ = static_cast<int32_t>(v); }
    const std::string& Name() const { return name_; }  // Shift-JIS bytes
    void SetName(std::string_view v) { name_ = std::string(v); }
    int64_t Style() const { return style_; }  // bit set: fsBold, fsItalic, fsUnderline, fsStrikeOut
    void SetStyle(int64_t v) { style_ = static_cast<uint32_t>(v) & 0xF; }

    void Assign(const TPersistent* source) override;

private:
    uint8_t charset_ = 1;  // DEFAULT_CHARSET
    TColor color_ = clWindowText;
    int32_t height_ = -11;
    std::string name_ = "MS Sans Serif";
    uint32_t style_ = 0;
};

}  // namespace skr
