#include <algorithm>
#include <vector>

#include "core/Component.h"
#include "core/Exception.h"
#include "core/Filer.h"
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

// --- TPersistent -------------------------------------------------------------

const TClassInfo& TPersistent::StaticClass() {
    static const TClassInfo info{.name = "TPersistent", .parent = &TObject::StaticClass()};
    return info;
}

void TPersistent::Assign(const TPersistent* source) {
    if (source) {
        source->AssignTo(this);
        return;
    }
    AssignError(nullptr);
}

void TPersistent::AssignTo(TPersistent* dest) const { dest->AssignError(this); }

void TPersistent::AssignError(const TPersistent* source) const {
    const std::string from = source ? std::string(source->ClassName()) : std::string("nil");
    throw EConvertError(Format(msg::AssignError, from.c_str(), std::string(ClassName()).c_str()));
}

void TPersistent::DefineProperties(TFiler&) {}

// --- TComponent --------------------------------------------------------------

const TClassInfo& TComponent::StaticClass() {
    // The name travels in the record header, never as a property.
    static const TPropInfo props[] = {
        NotStored(StrProp<&TComponent::Name>("Name")),
        WithDefault(OrdProp<&TComponent::Tag, &TComponent::SetTag>("Tag"), 0),
    };
    static const TClassInfo info{.name = "TComponent", .parent = &TPersistent::StaticClass(), .props = props};
    return info;
}

TComponent::TComponent(TComponent* owner) : owner_(owner) {
    if (owner_) owner_->Insert(this);
}

TComponent::~TComponent() {
    state_ |= csDestroying;
    // Owned components go last-created first.
    while (!components_.empty()) {
        TComponent* c = components_.back();
        components_.pop_back();
        c->SetReference(false);
        c->owner_ = nullptr;
        delete c;
    }
    if (owner_) {
        SetReference(false);
        owner_->Remove(this);
    }
}

void TComponent::Remove(TComponent* c) {
    auto it = std::find(components_.begin(), components_.end(), c);
    if (it != components_.end()) components_.erase(it);
}

void TComponent::SetReference(bool enable) {
    if (!owner_ || name_.empty()) return;
    if (const TFieldEntry* f = owner_->ClassInfo().FindField(name_)) f->set(*owner_, enable ? this : nullptr);
}

void TComponent::SetName(std::string_view name) {
    if (name == name_) return;
    if (!name.empty() && !IsValidIdent(name))
        throw EComponentError(Format(msg::InvalidName, std::string(name).c_str()));
    if (owner_ && !name.empty()) {
        TComponent* other = owner_->FindComponent(name);
        if (other && other != this)
            throw EComponentError(Format(msg::DuplicateName, std::string(name).c_str()));
    }
    SetReference(false);
    name_ = std::string(name);
    SetReference(true);
}

TComponent* TComponent::FindComponent(std::string_view name) const noexcept {
    if (name.empty()) return nullptr;
    for (TComponent* c : components_)
        if (SameText(c->name_, name)) return c;
    return nullptr;
}

void TComponent::SetLoading(bool reading) { state_ |= csLoading | (reading ? csReading : 0u); }

void TComponent::Loaded() { state_ &= ~csLoading; }

void TComponent::SetParentComponent(TComponent*) {}

void TComponent::DefineProperties(TFiler& filer) {
    TPersistent::DefineProperties(filer);
    filer.DefineProperty(
        "Left", [this](TValueReader& r) { designLeft_ = static_cast<int16_t>(r.ReadInteger()); },
        [this](TValueWriter& w) { w.WriteInteger(designLeft_); }, designLeft_ != 0);
    filer.DefineProperty(
        "Top", [this](TValueReader& r) { designTop_ = static_cast<int16_t>(r.ReadInteger()); },
        [this](TValueWriter& w) { w.WriteInteger(designTop_); }, designTop_ != 0);
}

}  // namespace skr
