// Event properties: a handler bound by name. The name is kept with the
// binding so a writer can store it and a reader can bind it again.
#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <utility>

namespace skr {

class TObject;

enum class TMouseButton { mbLeft, mbRight, mbMiddle };

// Modifier and button state of a mouse event.
enum TShiftFlag : uint32_t {
    ssShift = 1u << 0,
    ssAlt = 1u << 1,
    ssCtrl = 1u << 2,
    ssLeft = 1u << 3,
    ssRight = 1u << 4,
    ssMiddle = 1u << 5,
    ssDouble = 1u << 6,
};
using TShiftState = uint32_t;

template <class Signature>
struct TEvent {
    std::function<Signature> handler;
    std::string name;  // the handler's name, empty when bound in code without one

    explicit operator bool() const noexcept { return static_cast<bool>(handler); }
    template <class... Args>
    void operator()(Args&&... args) const {
        if (handler) handler(std::forward<Args>(args)...);
    }
};

using TNotifyEvent = TEvent<void(TObject* sender)>;
using TMouseEvent = TEvent<void(TObject* sender, TMouseButton button, TShiftState shift, int x, int y)>;

}  // namespace skr
