// The program's embedded resources: the form definition "TFORM1" and the
// icon "MAINICON", placed in the executable's read-only data by the
// assembler's .incbin at build time.
#include "platform/Resources.h"

#define SKR_INCBIN(name, path)                                                   \
    asm(".pushsection .rodata\n"                                                 \
        ".balign 16\n"                                                           \
        ".global skr_resource_" #name "\n"                                       \
        "skr_resource_" #name ":\n"                                              \
        ".incbin \"" path "\"\n"                                                 \
        ".global skr_resource_" #name "_end\n"                                   \
        "skr_resource_" #name "_end:\n"                                          \
        ".popsection\n");                                                        \
    extern "C" const uint8_t skr_resource_##name[];                              \
    extern "C" const uint8_t skr_resource_##name##_end[]

SKR_INCBIN(tform1, SKR_TFORM1_PATH);
SKR_INCBIN(mainicon, SKR_MAINICON_PATH);

namespace skr::platform {

std::span<const Resource> EmbeddedResources() noexcept {
    static const Resource table[] = {
        {"TFORM1", {skr_resource_tform1, static_cast<size_t>(skr_resource_tform1_end - skr_resource_tform1)}},
        {"MAINICON", {skr_resource_mainicon, static_cast<size_t>(skr_resource_mainicon_end - skr_resource_mainicon)}},
    };
    return table;
}

}  // namespace skr::platform
