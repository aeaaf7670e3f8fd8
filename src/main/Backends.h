// The backends this build of the program can run on, in the order they are
// tried, as a table: the one place where a platform is chosen.
#pragma once

#include <memory>
#include <span>

#include "platform/Platform.h"

namespace skr {

struct Backend {
    const char* name;
    std::unique_ptr<platform::Platform> (*open)();
};

std::span<const Backend> Backends() noexcept;

// The first backend of the table that opens; null when none does.
std::unique_ptr<platform::Platform> OpenBackend();

}  // namespace skr
