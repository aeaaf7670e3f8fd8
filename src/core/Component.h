// TComponent: an object with an owner that destroys it, a Name and a Tag,
// a design position, and loading state for the form definition reader.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "core/Persistent.h"

namespace skr {

enum TComponentStateFlag : uint32_t {
    csLoading = 1u << 0,
    csReading = 1u << 1,
};

class TComponent : public TPersistent {
public:
    SKR_CLASS_INFO()

    explicit TComponent(TComponent* owner);
    ~TComponent() override;
    TComponent(const TComponent&) = delete;
    TComponent& operator=(const TComponent&) = delete;

    TComponent* Owner() const noexcept { return owner_; }
    const std::string& Name() const noexcept { return name_; }
    // Validates and sets the name; sets the owner's reference of that name.
    // Raises EComponentError for an invalid or duplicate name.
    void SetName(std::string_view name);
    int32_t Tag() const noexcept { return tag_; }
    void SetTag(int64_t tag) { tag_ = static_cast<int32_t>(tag); }

    // Design position (Left, Top of a non-visual component): no run-time effect.
    int16_t DesignLeft() const noexcept { return designLeft_; }
    int16_t DesignTop() const noexcept { return designTop_; }
    void SetDesignPos(int16_t left, int16_t top) { designLeft_ = left; designTop_ = top; }

    uint32_t ComponentState() const noexcept { return state_; }
    void SetLoading(bool reading);  // csLoading | csReading
    void ClearReading() { state_ &= ~csReading; }
    // The after-load step: clears csLoading; overrides call the base first.
    virtual void Loaded();
    // Controls are given their parent by the reader; other components ignore it.
    virtual void SetParentComponent(TComponent* parent);

    size_t ComponentCount() const noexcept { return components_.size(); }
    TComponent* Components(size_t i) const { return components_[i]; }
    TComponent* FindComponent(std::string_view name) const noexcept;

    void DefineProperties(TFiler& filer) override;

private:
    void Insert(TComponent* c) { components_.push_back(c); }
    void Remove(TComponent* c);
    void SetReference(bool enable);

    TComponent* owner_;
    std::vector<TComponent*> components_;  // owned
    std::string name_;
    int32_t tag_ = 0;
    int16_t designLeft_ = 0;
    int16_t designTop_ = 0;
    uint32_t state_ = 0;
};

}  // namespace skr
