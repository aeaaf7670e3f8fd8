// The message texts the core raises, shared by the rooms above that raise
// the same errors (the stream errors, the component names).
#pragma once

namespace skr::msg {

inline constexpr const char* ReadError = "ストリームからの読み込みエラー";
inline constexpr const char* WriteError = "ストリームへの書き込みエラー";
inline constexpr const char* AssignError = "%s を %s に代入できません";
inline constexpr const char* InvalidName = "コンポーネント名に ''%s'' は使えません";
inline constexpr const char* DuplicateName = "コンポーネント名 %s はすでに使われています";

}  // namespace skr::msg
