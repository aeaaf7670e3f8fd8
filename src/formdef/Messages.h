// Message texts raised by the form definition reader, writer and dump. The
// stream errors share core's texts (core/Messages.h: msg::ReadError,
// msg::InvalidName, ...); these are the ones only this room raises.
#pragma once

namespace skr::msg {

inline constexpr const char* InvalidStreamFormat = "不正なストリーム フォーマット";
inline constexpr const char* ClassNotFound = "クラス %s が見つかりません";
inline constexpr const char* PropertyNotFound = "プロパティが存在しません";
inline constexpr const char* InvalidPropertyPath = "不正なプロパティのパスです";
inline constexpr const char* InvalidPropertyValue = "不正なプロパティの値です";
inline constexpr const char* ReadOnlyProperty = "プロパティは書き込み禁止です";
// Object name (or class name), ".", property name as stored, inner message.
inline constexpr const char* PropertyException = "%s%s%s の読み込み中のエラー : %s";

}  // namespace skr::msg
