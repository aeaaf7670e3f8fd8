#include "core/Component.h"

#include <algorithm>

#include "core/Exception.h"
#include "core/Filer.h"
#include "core/Messages.h"
#include "core/Text.h"

namespace skr {

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
