#include "gfx/Color.h"

namespace skr {

uint32_t ColorToPixel(TColor color) noexcept {
    uint32_t c = static_cast<uint32_t>(color);
    if (c & 0x80000000u) {
        // The classic desktop's default system colours.
        switch (c & 0xFF) {
            case 5: c = 0xFFFFFF; break;   // window
            case 8: c = 0x000000; break;   // window text
            case 15: c = 0xC0C0C0; break;  // button face
            default: c = 0x000000; break;
        }
    }
    return (c & 0xFF) << 16 | (c & 0xFF00) | (c >> 16 & 0xFF);
}

std::span<const TIdentMap> ColorNames() noexcept {
    static const TIdentMap names[] = {
        {"clBlack", 0x000000}, {"clMaroon", 0x000080}, {"clGreen", 0x008000}, {"clOlive", 0x008080},
        {"clNavy", 0x800000}, {"clPurple", 0x800080}, {"clTeal", 0x808000}, {"clGray", 0x808080},
        {"clSilver", 0xC0C0C0}, {"clRed", 0x0000FF}, {"clLime", 0x00FF00}, {"clYellow", 0x00FFFF},
        {"clBlue", 0xFF0000}, {"clFuchsia", 0xFF00FF}, {"clAqua", 0xFFFF00}, {"clWhite", 0xFFFFFF},
        {"clScrollBar", 0x80000000}, {"clBackground", 0x80000001}, {"clActiveCaption", 0x80000002},
        {"clInactiveCaption", 0x80000003}, {"clMenu", 0x80000004}, {"clWindow", 0x80000005},
        {"clWindowFrame", 0x80000006}, {"clMenuText", 0x80000007}, {"clWindowText", 0x80000008},
        {"clCaptionText", 0x80000009}, {"clActiveBorder", 0x8000000A}, {"clInactiveBorder", 0x8000000B},
        {"clAppWorkSpace", 0x8000000C}, {"clHighlight", 0x8000000D}, {"clHighlightText", 0x8000000E},
        {"clBtnFace", 0x8000000F}, {"clBtnShadow", 0x80000010}, {"clGrayText", 0x80000011},
        {"clBtnText", 0x80000012}, {"clInactiveCaptionText", 0x80000013}, {"clBtnHighlight", 0x80000014},
        {"clNone", 0x1FFFFFFF}, {"clDefault", 0x20000000},
    };
    return names;
}

std::span<const TIdentMap> CharsetNames() noexcept {
    static const TIdentMap names[] = {
        {"ANSI_CHARSET", 0}, {"DEFAULT_CHARSET", 1}, {"SYMBOL_CHARSET", 2}, {"MAC_CHARSET", 77},
        {"SHIFTJIS_CHARSET", 128}, {"HANGEUL_CHARSET", 129}, {"GB2312_CHARSET", 134},
        {"CHINESEBIG5_CHARSET", 136}, {"OEM_CHARSET", 255},
    };
    return names;
}

}  // namespace skr
