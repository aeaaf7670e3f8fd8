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


size_t ToPlanarFloat(const WaveInfo& info, std::vector<float>& out, size_t maxFrames) {
    const bool pcm = info.formatTag == 1 && (info.bitsPerSample == 8 || info.bitsPerSample == 16 || info.bitsPerSample == 32);
    const bool flt = info.formatTag == 3 && info.bitsPerSample == 32;
    if ((!pcm && !flt) || info.channels == 0 || !info.data) return 0;
    const size_t bytes = info.bitsPerSample / 8, frame = bytes * info.channels;
    if (info.blockAlign != frame) return 0;
    const size_t frames = info.dataSize / frame;
    if (frames == 0 || frames > maxFrames) return 0;
    out.resize(frames * info.channels);
    for (size_t c = 0; c < info.channels; ++c) {
        const uint8_t* in = info.data + c * bytes;
        float* to = out.data() + c * frames;
        for (size_t i = 0; i < frames; ++i, in += frame) {
            float v;
            if (flt) {
                const uint32_t word = LoadLE32(in);
                std::memcpy(&v, &word, sizeof v);
                v = v >= -1.0f ? (v <= 1.0f ? v : 1.0f) : (v < -1.0f ? -1.0f : 0.0f);  // not a number: 0
            } else if (bytes == 1) {
                v = (float(in[0]) - 128.0f) / 128.0f;
            } else if (bytes == 2) {
                v = float(int16_t(LoadLE16(in))) / 32768.0f;
            } else {
                v = float(double(int32_t(LoadLE32(in))) / 2147483648.0);
            }
            to[i] = v;
        }
    }
    return frames;
}

}  // namespace skr::platform
