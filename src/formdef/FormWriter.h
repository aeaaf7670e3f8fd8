// Writes a component tree as a form definition stream ("TPF0"), the
// inverse of ReadRootComponent: the root record with its published
// properties in type-information order (values equal to their default and
// properties not stored are left out; object properties are written as
// "Font.Name"-style paths), then its defined properties that have data,
// then one record per component the root owns, in creation order.
// Integers take the smallest tag that holds them, texts String or LString
// by length. What this writer produces reads back to the same bytes.
#pragma once

#include <cstdint>
#include <vector>

namespace skr {

class TComponent;

std::vector<uint8_t> WriteRootComponent(TComponent& root);

}  // namespace skr
