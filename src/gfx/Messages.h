// The message texts the graphics room raises.
#pragma once

namespace skr::msg {

inline constexpr const char* InvalidBitmap = "ビットマップイメージが不正です";
inline constexpr const char* InvalidIcon = "アイコンイメージが不正です";
inline constexpr const char* JpegError = "JPEG エラー #%d";  // libjpeg's message code

}  // namespace skr::msg
