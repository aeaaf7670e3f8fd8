// The program's embedded resources ("TFORM1", "MAINICON"), looked up by
// name without regard to case. The build links in a table of them.
#pragma once

#include <cstdint>
#include <span>
#include <string_view>

namespace skr::platform {

struct Resource {
    std::string_view name;
    std::span<const uint8_t> bytes;
};

// Empty span when the program carries no resource of that name.
std::span<const uint8_t> FindProgramResource(std::string_view name) noexcept;

// The table the build links into the program; empty for programs (the
// tests) that carry no resources.
std::span<const Resource> EmbeddedResources() noexcept;

}  // namespace skr::platform
