#include "gfx/Graphic.h"

#include <string>
#include <vector>

namespace skr {

namespace {
struct Kind {
    std::string name;
    TGraphicFactory factory;
};
std::vector<Kind>& Kinds() {
    static std::vector<Kind> kinds;
    return kinds;
}
}  // namespace

void RegisterGraphicKind(std::string_view className, TGraphicFactory factory) {
    for (Kind& k : Kinds())
        if (k.name == className) { k.factory = factory; return; }
    Kinds().push_back(Kind{std::string(className), factory});
}

TGraphicFactory FindGraphicKind(std::string_view className) noexcept {
    for (const Kind& k : Kinds())
        if (k.name == className) return k.factory;  // exact, with case
    return nullptr;
}

const TClassInfo& TGraphic::StaticClass() {
    static const TClassInfo info{.name = "TGraphic", .parent = &TPersistent::StaticClass()};
    return info;
}

}  // namespace skr
