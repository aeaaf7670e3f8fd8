#include "core/Persistent.h"

#include <string>

#include "core/Exception.h"
#include "core/Messages.h"
#include "core/Text.h"

namespace skr {

const TClassInfo& TPersistent::StaticClass() {
    static const TClassInfo info{.name = "TPersistent", .parent = &TObject::StaticClass()};
    return info;
}

void TPersistent::Assign(const TPersistent* source) {
    if (source) {
        source->AssignTo(this);
        return;
    }
    AssignError(nullptr);
}

void TPersistent::AssignTo(TPersistent* dest) const { dest->AssignError(this); }

void TPersistent::AssignError(const TPersistent* source) const {
    const std::string from = source ? std::string(source->ClassName()) : std::string("nil");
    throw EConvertError(Format(msg::AssignError, from.c_str(), std::string(ClassName()).c_str()));
}

void TPersistent::DefineProperties(TFiler&) {}

}  // namespace skr
