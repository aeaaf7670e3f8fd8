#include "main/Backends.h"

#if defined(SKR_BACKEND_WIN32)
#include "platform/win32/Win32Platform.h"
#elif defined(SKR_BACKEND_WEB)
#include "platform/web/WebPlatform.h"
#elif defined(SKR_BACKEND_SDL)
#include "platform/sdl/SdlPlatform.h"
#endif

namespace skr {
namespace {

template <class P>
std::unique_ptr<platform::Platform> Open() {
    return std::make_unique<P>();
}

constexpr Backend kBackends[] = {
#if defined(SKR_BACKEND_WIN32)
    {"win32", Open<platform::Win32Platform>},
#elif defined(SKR_BACKEND_WEB)
    {"web", Open<platform::WebPlatform>},
#elif defined(SKR_BACKEND_SDL)
    {"sdl", Open<platform::SdlPlatform>},
#endif
};

}  // namespace

std::span<const Backend> Backends() noexcept { return kBackends; }

std::unique_ptr<platform::Platform> OpenBackend() {
    for (const Backend& b : Backends())
        if (std::unique_ptr<platform::Platform> p = b.open()) return p;
    return nullptr;
}

}  // namespace skr
