// The program's embedded resources: the form definition "TFORM1" and the
// icon "MAINICON", placed in the executable's read-only data by the
// assembler's .incbin at build time.
#include "platform/Resources.h"

// WebAssembly objects name each data section and give each symbol its size.
#if defined(__EMSCRIPTEN__)
#define SKR_SECTION(name) ".section .rodata.skr_resource_" #name ",\"\",@\n"
#define SKR_END_SECTION(name) \
    ".size skr_resource_" #name ", skr_resource_" #name "_end - skr_resource_" #name "\n"
#else
#define SKR_SECTION(name) ".pushsection .rodata\n"
#define SKR_END_SECTION(name) ".popsection\n"
#endif

#define SKR_INCBIN(name, path)                                                   \
    asm(SKR_SECTION(name)                                                        \
        ".balign 16\n"                                                           \
        ".global skr_resource_" #name "\n"                                       \
        "skr_resource_" #name ":\n"                                              \
        ".incbin \"" path "\"\n"                                                \
        ".global skr_resource_" #name "_end\n"                                   \
        "skr_resource_" #name "_end:\n"                                          \
        SKR_END_SECTION(name));                                                  \
    extern "C" const uint8_t skr_resource_##name[];                              \
    extern "C" const uint8_t skr_resource_##name##_end[]

SKR_INCBIN(tform1, SKR_TFORM1_PATH);
SKR_INCBIN(mainicon, SKR_MAINICON_PATH);

namespace skr::platform {

std::span<const uint8_t> FindProgramResource(std::string_view name) noexcept {
    struct Resource {
        std::string_view name;
        std::span<const uint8_t> bytes;
    };
    static const Resource table[] = {
        {"TFORM1", {skr_resource_tform1, static_cast<size_t>(skr_resource_tform1_end - skr_resource_tform1)}},
        {"MAINICON", {skr_resource_mainicon, static_cast<size_t>(skr_resource_mainicon_end - skr_resource_mainicon)}},
    };
    auto lower = [](char c) { return (c >= 'A' && c <= 'Z') ? static_cast<char>(c + 32) : c; };
    for (const Resource& r : table) {
        if (r.name.size() != name.size()) continue;
        bool same = true;
        for (size_t i = 0; i < name.size() && same; ++i) same = lower(r.name[i]) == lower(name[i]);
        if (same) return r.bytes;
    }
    return {};
}

}  // namespace skr::platform
