// The UTC time of day, as the platform's clock gives it and the game reads
// it (to the millisecond).
#pragma once

#include <cstdint>

namespace skr {

struct TSystemTime {
    int wHour = 0, wMinute = 0, wSecond = 0, wMilliseconds = 0;
};

// The time of day `ms` milliseconds after a midnight (taken modulo a day).
constexpr TSystemTime TimeOfDayFromMs(uint64_t ms) noexcept {
    ms %= 86400000u;
    return TSystemTime{static_cast<int>(ms / 3600000), static_cast<int>(ms / 60000 % 60), static_cast<int>(ms / 1000 % 60),
                       static_cast<int>(ms % 1000)};
}

}  // namespace skr
