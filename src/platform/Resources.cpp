#include "platform/Resources.h"

namespace skr::platform {

// No resources unless the program links its table (an object library with
// the strong definition, so it always takes the place of this one).
__attribute__((weak)) std::span<const Resource> EmbeddedResources() noexcept { return {}; }

std::span<const uint8_t> FindProgramResource(std::string_view name) noexcept {
    auto lower = [](char c) { return (c >= 'A' && c <= 'Z') ? static_cast<char>(c + 32) : c; };
    for (const Resource& r : EmbeddedResources()) {
        if (r.name.size() != name.size()) continue;
        bool same = true;
        for (size_t i = 0; i < name.size() && same; ++i) same = lower(r.name[i]) == lower(name[i]);
        if (same) return r.bytes;
    }
    return {};
}

}  // namespace skr::platform
