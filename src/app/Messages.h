// The message texts the shell raises and shows.
#pragma once

#include <cinttypes>

namespace skr::msg {

inline constexpr const char* CannotCreateWindow = "ウィンドウを作成できません";
inline constexpr const char* NoTimers = "タイマーを取得できません";
inline constexpr const char* ResNotFound = "%s リソースが見つかりません";
// The fatal start-up box: its title, and its text (the exception's class,
// the module's file name, the address, the message).
inline constexpr const char* ApplicationError = "アプリケーション エラー";
inline constexpr const char* FatalError = "%.*sがモジュール %.*s の %08" PRIX32 " で発生しました。\n%.*s";

}  // namespace skr::msg
