#include "platform/WaveImage.h"

#include <cstring>

namespace skr::platform {
namespace {
uint32_t U32(const uint8_t* p) { return uint32_t(p[0]) | uint32_t(p[1]) << 8 | uint32_t(p[2]) << 16 | uint32_t(p[3]) << 24; }
uint16_t U16(const uint8_t* p) { return static_cast<uint16_t>(p[0] | p[1] << 8); }
}  // namespace

uint32_t WaveInfo::DurationMs() const noexcept {
    if (avgBytesPerSec == 0) return 0;
    return static_cast<uint32_t>((uint64_t(dataSize) * 1000 + avgBytesPerSec - 1) / avgBytesPerSec);
}

std::optional<WaveInfo> ParseWave(const uint8_t* image, size_t size) noexcept {
    if (!image || size < 12 || std::memcmp(image, "RIFF", 4) != 0 || std::memcmp(image + 8, "WAVE", 4) != 0)
        return std::nullopt;
    // The RIFF size may lie; the chunks are looked for within what is present.
    size_t end = size;
    const uint64_t riffEnd = uint64_t(U32(image + 4)) + 8;
    if (riffEnd < end) end = static_cast<size_t>(riffEnd);
    WaveInfo info;
    bool haveFmt = false;
    size_t pos = 12;
    while (pos + 8 <= end) {
        const uint8_t* chunk = image + pos;
        const uint64_t len = U32(chunk + 4);
        const size_t body = pos + 8;
        const size_t avail = end - body;
        if (std::memcmp(chunk, "fmt ", 4) == 0) {
            if (len < 16 || avail < 16) return std::nullopt;
            info.formatTag = U16(chunk + 8);
            info.channels = U16(chunk + 10);
            info.samplesPerSec = U32(chunk + 12);
            info.avgBytesPerSec = U32(chunk + 16);
            info.blockAlign = U16(chunk + 20);
            info.bitsPerSample = U16(chunk + 22);
            haveFmt = true;
        } else if (std::memcmp(chunk, "data", 4) == 0) {
            if (!haveFmt) return std::nullopt;
            info.data = image + body;
            info.dataSize = len < avail ? static_cast<size_t>(len) : avail;
            return info;
        }
        if (len > avail) return std::nullopt;
        pos = body + static_cast<size_t>(len) + (len & 1);
    }
    return std::nullopt;
}

}  // namespace skr::platform
