// TPersistent: an object that can be assigned from another and can declare
// stream properties of its own.
#pragma once

#include "core/Object.h"

namespace skr {

class TFiler;

class TPersistent : public TObject {
public:
    SKR_CLASS_INFO()

    // Copies source's content into this object. The default asks the source
    // (AssignTo) and raises EConvertError when neither side knows how.
    virtual void Assign(const TPersistent* source);
    // Declares defined properties; overrides call the base first.
    virtual void DefineProperties(TFiler& filer);

protected:
    virtual void AssignTo(TPersistent* dest) const;
    // Raises the general assignment error naming source ("nil" if none) and this class.
    [[noreturn]] void AssignError(const TPersistent* source) const;
};

}  // namespace skr
