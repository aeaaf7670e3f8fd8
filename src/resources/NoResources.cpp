// The empty resource table, for test programs that carry no resources.
#include "platform/Resources.h"

namespace skr::platform {
std::span<const Resource> EmbeddedResources() noexcept { return {}; }
}  // namespace skr::platform
