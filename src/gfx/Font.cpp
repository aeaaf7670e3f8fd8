#include "gfx/Font.h"

namespace skr {

namespace {
const TIdentMap kStyleNames[] = {{"fsBold", 0}, {"fsItalic", 1}, {"fsUnderline", 2}, {"fsStrikeOut", 3}};
}

const TClassInfo& TFont::StaticClass() {
    static const TPropInfo props[] = {
        OrdProp<&TFont::Charset, &TFont::SetCharset>("Charset", TPropKind::Integer, CharsetNames()),
        OrdProp<&TFont::Color, &TFont::SetColor>("Color", TPropKind::Integer, ColorNames()),
        OrdProp<&TFont::Height, &TFont::SetHeight>("Height"),
        StrProp<&TFont::Name, &TFont::SetName>("Name"),
        OrdProp<&TFont::Style, &TFont::SetStyle>("Style", TPropKind::Set, kStyleNames),
    };
    static const TClassInfo info{.name = "TFont", .parent = &TPersistent::StaticClass(), .props = props};
    return info;
}

void TFont::Assign(const TPersistent* source) {
    if (auto* f = dynamic_cast<const TFont*>(source)) {
        charset_ = f->charset_;
        color_ = f->color_;
        height_ = f->height_;
        name_ = f->name_;
        style_ = f->style_;
        return;
    }
    TPersistent::Assign(source);
}

}  // namespace skr
