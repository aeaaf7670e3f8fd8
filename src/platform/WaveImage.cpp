#include "platform/WaveImage.h"

#include <cstring>

#include "base/ByteOrder.h"

namespace skr::platform {

uint32_t WaveInfo::DurationMs() const noexcept {
    if (avgBytesPerSec == 0) return 0;
    return static_cast<uint32_t>((uint64_t(dataSize) * 1000 + avgBytesPerSec - 1) / avgBytesPerSec);
}

std::optional<WaveInfo> ParseWave(const uint8_t* image, size_t size) noexcept {
    if (!image || size < 12 || std::memcmp(image, "RIFF", 4) != 0 || std::memcmp(image + 8, "WAVE", 4) != 0)
        return std::nullopt;
    // The RIFF size may lie; the chunks are looked for within what is present.
    size_t end = size;
    const uint64_t riffEnd = uint64_t(LoadLE32(image + 4)) + 8;
    if (riffEnd < end) end = static_cast<size_t>(riffEnd);
    WaveInfo info;
    bool haveFmt = false;
    size_t pos = 12;
    while (pos + 8 <= end) {
        const uint8_t* chunk = image + pos;
        const uint64_t len = LoadLE32(chunk + 4);
        const size_t body = pos + 8;
        const size_t avail = end - body;
        if (std::memcmp(chunk, "fmt ", 4) == 0) {
            if (len < 16 || avail < 16) return std::nullopt;
            info.formatTag = LoadLE16(chunk + 8);
            info.channels = LoadLE16(chunk + 10);
            info.samplesPerSec = LoadLE32(chunk + 12);
            info.avgBytesPerSec = LoadLE32(chunk + 16);
            info.blockAlign = LoadLE16(chunk + 20);
            info.bitsPerSample = LoadLE16(chunk + 22);
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
