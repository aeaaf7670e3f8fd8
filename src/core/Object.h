// The object model the form definition reader drives: classes with a name,
// a parent, published properties in type-information order, published
// handlers (for event binding by name), named component references and a
// factory.
#pragma once

#include <cstddef>
#include <cstdint>
#include <span>
#include <string>
#include <string_view>
#include <type_traits>
#include <utility>

#include "core/Events.h"

namespace skr {

class TObject;
class TPersistent;
class TComponent;
struct TClassInfo;

enum class TPropKind { Integer, Char, Enumeration, Float, String, Set, Class, Method, Int64 };

// One name of a name table: colour and charset idents of an integer
// property, or the element names of an enumeration or set (value = ordinal).
struct TIdentMap {
    std::string_view name;
    int64_t value;
};

// A published property. Accessors are plain function pointers over the
// object; unused ones stay null. A property without a setter is read-only.
struct TPropInfo {
    std::string_view name;
    TPropKind kind = TPropKind::Integer;
    std::span<const TIdentMap> names{};  // ident table / enumeration names

    int64_t (*getOrd)(const TObject&) = nullptr;  // Integer, Char, Enumeration, Set, Int64
    void (*setOrd)(TObject&, int64_t) = nullptr;
    double (*getFloat)(const TObject&) = nullptr;
    void (*setFloat)(TObject&, double) = nullptr;
    std::string (*getStr)(const TObject&) = nullptr;  // bytes as stored (Shift-JIS)
    void (*setStr)(TObject&, std::string_view) = nullptr;
    TPersistent* (*getObject)(TObject&) = nullptr;  // Class: the object itself
    // Method: binds the root's handler of that name; false when the root has
    // no handler of that name and signature. An empty name unbinds.
    bool (*bindEvent)(TObject&, TComponent& root, std::string_view handler) = nullptr;
    std::string (*eventName)(const TObject&) = nullptr;

    // For the writer: an ordinal equal to the default is not stored.
    bool hasDefault = false;
    int64_t defaultOrd = 0;
    bool (*stored)(const TObject&) = nullptr;  // null: always stored

    bool Writable() const noexcept { return setOrd || setFloat || setStr || getObject || bindEvent; }
};

// A published handler of a class: binds to an instance as a notification or
// a mouse event. Exactly one of the two binders is set.
struct TMethodEntry {
    std::string_view name;
    TNotifyEvent (*notify)(TComponent& self) = nullptr;
    TMouseEvent (*mouse)(TComponent& self) = nullptr;
};

// A named component reference of a class (a published field): naming a
// component owned by an instance sets the instance's reference of that name.
struct TFieldEntry {
    std::string_view name;
    const TClassInfo& (*cls)();
    void (*set)(TComponent& owner, TComponent* component);
};

struct TClassInfo {
    std::string_view name;
    const TClassInfo* parent = nullptr;
    std::span<const TPropInfo> props{};       // own published properties, in order
    std::span<const TMethodEntry> methods{};  // own published handlers
    std::span<const TFieldEntry> fields{};    // own component references
    TComponent* (*create)(TComponent* owner) = nullptr;  // components only

    bool InheritsFrom(const TClassInfo& other) const noexcept;
    // Searches this class and then its bases; names compare without case.
    const TPropInfo* FindProp(std::string_view name) const noexcept;
    const TMethodEntry* FindMethod(std::string_view name) const noexcept;
    const TFieldEntry* FindField(std::string_view name) const noexcept;
    // Calls f for every published property, bases first (type-information order).
    template <class F>
    void ForEachProp(F&& f) const {
        if (parent) parent->ForEachProp(f);
        for (const TPropInfo& p : props) f(p);
    }
};

class TObject {
public:
    virtual ~TObject() = default;
    static const TClassInfo& StaticClass();
    virtual const TClassInfo& ClassInfo() const { return StaticClass(); }
    std::string_view ClassName() const { return ClassInfo().name; }
    bool InheritsFrom(const TClassInfo& cls) const { return ClassInfo().InheritsFrom(cls); }
};

// Declares a class's type information: put in the public part of the class.
#define SKR_CLASS_INFO()                 \
    static const TClassInfo& StaticClass(); \
    const TClassInfo& ClassInfo() const override { return StaticClass(); }

// The writer leaves a property out when its ordinal equals this default.
constexpr TPropInfo WithDefault(TPropInfo p, int64_t value) {
    p.hasDefault = true;
    p.defaultOrd = value;
    return p;
}
// A property the writer never stores.
constexpr TPropInfo NotStored(TPropInfo p) {
    p.stored = [](const TObject&) { return false; };
    return p;
}

// The names of the Boolean enumeration: False, True.
std::span<const TIdentMap> BooleanNames() noexcept;

// Program-wide class registry (classes a form definition may name).
void RegisterComponentClass(const TClassInfo& cls);
const TClassInfo* FindRegisteredClass(std::string_view name) noexcept;

// Property accessor builders: a getter and setter member function become the
// plain function pointers of a TPropInfo.
namespace detail {
template <class T>
struct ClassOfMember;
template <class C, class R, class... A>
struct ClassOfMember<R (C::*)(A...)> { using type = C; };
template <class C, class R, class... A>
struct ClassOfMember<R (C::*)(A...) const> { using type = C; };
template <class C, class T>
struct ClassOfMember<T C::*> { using type = C; };
template <auto M>
using ClassOf = typename ClassOfMember<decltype(M)>::type;
}  // namespace detail

template <auto Get, auto Set = nullptr>
constexpr TPropInfo OrdProp(std::string_view name, TPropKind kind = TPropKind::Integer,
                            std::span<const TIdentMap> names = {}) {
    using C = detail::ClassOf<Get>;
    TPropInfo p{.name = name, .kind = kind, .names = names};
    p.getOrd = [](const TObject& o) -> int64_t { return static_cast<int64_t>((static_cast<const C&>(o).*Get)()); };
    if constexpr (!std::is_same_v<decltype(Set), std::nullptr_t>) {
        p.setOrd = [](TObject& o, int64_t v) { (static_cast<C&>(o).*Set)(v); };
    }
    return p;
}

template <auto Get, auto Set = nullptr>
constexpr TPropInfo StrProp(std::string_view name) {
    using C = detail::ClassOf<Get>;
    TPropInfo p{.name = name, .kind = TPropKind::String};
    p.getStr = [](const TObject& o) -> std::string { return std::string((static_cast<const C&>(o).*Get)()); };
    if constexpr (!std::is_same_v<decltype(Set), std::nullptr_t>) {
        p.setStr = [](TObject& o, std::string_view v) { (static_cast<C&>(o).*Set)(v); };
    }
    return p;
}

// An object-valued property: reading gives the object itself; the reader
// descends into it for paths such as "Font.Name" or "Picture.Data".
template <auto Get>
constexpr TPropInfo ObjProp(std::string_view name) {
    using C = detail::ClassOf<Get>;
    TPropInfo p{.name = name, .kind = TPropKind::Class};
    p.getObject = [](TObject& o) -> TPersistent* { return (static_cast<C&>(o).*Get)(); };
    return p;
}

TNotifyEvent BindNotify(TComponent& root, std::string_view name, bool& ok);
TMouseEvent BindMouse(TComponent& root, std::string_view name, bool& ok);

// Binds an object's event property to the root's published handler of that
// name, as a definition naming the handler does; for windows built in code.
// Raises EComponentError when the object has no event property of that name
// or the root no handler of that name and kind, so a mistyped name fails
// where it is written instead of leaving the event unbound.
void BindEventByName(TObject& object, std::string_view property, TComponent& root, std::string_view handler);

// An event property over a TNotifyEvent or TMouseEvent data member. With a
// setter, binding goes through it (a timer restarts when its handler changes).
template <auto Member, auto Set = nullptr>
constexpr TPropInfo EventProp(std::string_view name) {
    using C = detail::ClassOf<Member>;
    TPropInfo p{.name = name, .kind = TPropKind::Method};
    p.bindEvent = [](TObject& o, TComponent& root, std::string_view handler) -> bool {
        auto& slot = static_cast<C&>(o).*Member;
        using E = std::remove_reference_t<decltype(slot)>;
        bool ok = true;
        E bound;
        if (!handler.empty()) {
            if constexpr (std::is_same_v<E, TNotifyEvent>) bound = BindNotify(root, handler, ok);
            else bound = BindMouse(root, handler, ok);
        }
        if (!ok) return false;
        if constexpr (!std::is_same_v<decltype(Set), std::nullptr_t>) (static_cast<C&>(o).*Set)(std::move(bound));
        else slot = std::move(bound);
        return true;
    };
    p.eventName = [](const TObject& o) -> std::string { return (static_cast<const C&>(o).*Member).name; };
    return p;
}

// Published handler builders for a component class's method table.
template <auto M>
constexpr TMethodEntry NotifyMethod(std::string_view name) {
    using C = detail::ClassOf<M>;
    return {name, [](TComponent& self) -> TNotifyEvent {
                C* c = static_cast<C*>(&self);
                return {[c](TObject* sender) { (c->*M)(sender); }, {}};
            }, nullptr};
}

template <auto M>
constexpr TMethodEntry MouseMethod(std::string_view name) {
    using C = detail::ClassOf<M>;
    return {name, nullptr, [](TComponent& self) -> TMouseEvent {
                C* c = static_cast<C*>(&self);
                return {[c](TObject* s, TMouseButton b, TShiftState sh, int x, int y) { (c->*M)(s, b, sh, x, y); }, {}};
            }};
}

template <auto Field>
constexpr TFieldEntry FieldRef(std::string_view name) {
    using C = detail::ClassOf<Field>;
    using T = std::remove_pointer_t<std::remove_reference_t<decltype(std::declval<C&>().*Field)>>;
    return {name, &T::StaticClass, [](TComponent& owner, TComponent* comp) {
                static_cast<C&>(owner).*Field = dynamic_cast<T*>(comp);
            }};
}

}  // namespace skr
