#include "platform/Platform.h"

namespace skr::platform {
namespace {
Platform* active = nullptr;
}

Platform* Active() noexcept { return active; }
void SetActive(Platform* platform) noexcept { active = platform; }

}  // namespace skr::platform
