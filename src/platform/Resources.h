// The program's resources ("TFORM1", "MAINICON"), looked up by name without
// regard to case. One sibling folder of resources/ defines the lookup, as
// the build chooses: embedded/ (a table the assembler places in the
// executable), win32/ (the executable's Windows resources), or none/ (for
// the tests and tools that carry no resources).
#pragma once

#include <cstdint>
#include <span>
#include <string_view>

namespace skr::platform {

// Empty span when the program carries no resource of that name.
std::span<const uint8_t> FindProgramResource(std::string_view name) noexcept;

}  // namespace skr::platform
