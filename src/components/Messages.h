// The message texts the components raise.
#pragma once

namespace skr::msg {

inline constexpr const char* StripEmpty = "TBitmapList: Empty";
inline constexpr const char* StripInvalidIndex = "TBitmapList: Invalid Index";

}  // namespace skr::msg
