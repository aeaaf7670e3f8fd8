// No resources: for the test programs and tools that carry none (and test
// what the program does without them).
#include "platform/Resources.h"

namespace skr::platform {

std::span<const uint8_t> FindProgramResource(std::string_view) noexcept { return {}; }

}  // namespace skr::platform
