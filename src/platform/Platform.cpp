#include "platform/Platform.h"

#include <chrono>

namespace skr::platform {
namespace {
Platform* active = nullptr;
}

Platform* Active() noexcept { return active; }
void SetActive(Platform* platform) noexcept { active = platform; }

TimeOfDay UtcTimeOfDay() {
    using namespace std::chrono;
    const auto now = system_clock::now().time_since_epoch();
    const int64_t ms = duration_cast<milliseconds>(now).count() % 86400000;
    return TimeOfDay{static_cast<int>(ms / 3600000), static_cast<int>(ms / 60000 % 60),
                     static_cast<int>(ms / 1000 % 60), static_cast<int>(ms % 1000)};
}

}  // namespace skr::platform
