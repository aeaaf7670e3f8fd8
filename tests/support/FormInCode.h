// The start of a window built in code rather than read from a definition,
// as the fixtures build theirs: it is loading until the caller has added
// its components (ClearReading, then Loaded), and has the frame, the
// client size and the colour of the game's window.
#pragma once

#include <string_view>

#include "app/Form.h"

namespace skr::test {

inline void BeginFormInCode(TForm& form, std::string_view caption) {
    form.SetLoading(true);
    form.SetBorderStyle(bsSingle);
    form.SetCaption(caption);
    form.SetClientHeight(289);
    form.SetClientWidth(385);
    form.SetColor(clBlack);
}

}  // namespace skr::test
