// Reads a form definition stream ("TPF0") into an already allocated root
// component: creates and names every child component, sets published
// properties in stream order, binds events to the root's handlers by name
// and hands defined properties (Binary payloads included) to the objects
// that define them. After the whole stream, every loaded object runs its
// after-load step (TComponent::Loaded), root first, in reading order; a
// window applies its stored client size there.
//
// Failures raise EReadError / EClassNotFound / EComponentError (or the
// error of a property's own reader) carrying the texts of formdef/Messages.h;
// an error inside a property is raised again as
// "<object>.<property> の読み込み中のエラー : <message>". A component whose
// record fails is released; components read before it stay owned by the root.
#pragma once

#include <cstdint>
#include <functional>
#include <span>
#include <string_view>

namespace skr {

class TComponent;
class TStream;

// Answers whether another root (window) already bears a name; the root
// then takes "<name>_1", "<name>_2", ... Names compare without case.
using TNameTakenFn = std::function<bool(std::string_view name)>;

// Reads from the stream's position; leaves it just after the root record.
void ReadRootComponent(TStream& stream, TComponent& root, const TNameTakenFn& nameTaken = {});
void ReadRootComponent(std::span<const uint8_t> bytes, TComponent& root, const TNameTakenFn& nameTaken = {});

}  // namespace skr
