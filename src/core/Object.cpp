#include "core/Object.h"

#include <algorithm>
#include <vector>

#include "core/Component.h"
#include "core/Exception.h"
#include "core/Text.h"

namespace skr {

bool TClassInfo::InheritsFrom(const TClassInfo& other) const noexcept {
    for (const TClassInfo* c = this; c; c = c->parent)
        if (c == &other) return true;
    return false;
}

const TPropInfo* TClassInfo::FindProp(std::string_view n) const noexcept {
    for (const TClassInfo* c = this; c; c = c->parent)
        for (const TPropInfo& p : c->props)
            if (SameText(p.name, n)) return &p;
    return nullptr;
}

const TMethodEntry* TClassInfo::FindMethod(std::string_view n) const noexcept {
    for (const TClassInfo* c = this; c; c = c->parent)
        for (const TMethodEntry& m : c->methods)
            if (SameText(m.name, n)) return &m;
    return nullptr;
}

const TFieldEntry* TClassInfo::FindField(std::string_view n) const noexcept {
    for (const TClassInfo* c = this; c; c = c->parent)
        for (const TFieldEntry& f : c->fields)
            if (SameText(f.name, n)) return &f;
    return nullptr;
}

const TClassInfo& TObject::StaticClass() {
    static const TClassInfo info{.name = "TObject"};
    return info;
}

std::span<const TIdentMap> BooleanNames() noexcept {
    static const TIdentMap names[] = {{"False", 0}, {"True", 1}};
    return names;
}

namespace {
std::vector<const TClassInfo*>& Registry() {
    static std::vector<const TClassInfo*> classes;
    return classes;
}
}  // namespace

void RegisterComponentClass(const TClassInfo& cls) {
    auto& r = Registry();
    if (std::find(r.begin(), r.end(), &cls) == r.end()) r.push_back(&cls);
}

const TClassInfo* FindRegisteredClass(std::string_view name) noexcept {
    for (const TClassInfo* c : Registry())
        if (SameText(c->name, name)) return c;
    return nullptr;
}

namespace {

// Binds the root's published handler of that name through the binder of the
// event's kind; ok is false when there is no such handler of that kind.
template <class Event>
Event Bind(TComponent& root, std::string_view name, bool& ok, Event (*TMethodEntry::*binder)(TComponent&)) {
    const TMethodEntry* m = root.ClassInfo().FindMethod(name);
    ok = m && m->*binder;
    if (!ok) return {};
    Event e = (m->*binder)(root);
    e.name = std::string(m->name);
    return e;
}

}  // namespace

TNotifyEvent BindNotify(TComponent& root, std::string_view name, bool& ok) {
    return Bind(root, name, ok, &TMethodEntry::notify);
}

TMouseEvent BindMouse(TComponent& root, std::string_view name, bool& ok) {
    return Bind(root, name, ok, &TMethodEntry::mouse);
}

void BindEventByName(TObject& object, std::string_view property, TComponent& root, std::string_view handler) {
    const TPropInfo* p = object.ClassInfo().FindProp(property);
    if (!p || !p->bindEvent)
        throw EComponentError(Format("%s has no event %.*s", std::string(object.ClassName()).c_str(),
                                     int(property.size()), property.data()));
    if (!p->bindEvent(object, root, handler))
        throw EComponentError(Format("%s has no handler %.*s for %.*s", std::string(root.ClassName()).c_str(),
                                     int(handler.size()), handler.data(), int(property.size()), property.data()));
}

}  // namespace skr
