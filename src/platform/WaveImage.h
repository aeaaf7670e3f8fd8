// Reads the facts of an in-memory RIFF WAVE image without trusting any of
// its sizes: everything found lies inside the given bytes.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>

namespace skr::platform {

struct WaveInfo {
    uint16_t formatTag = 0;
    uint16_t channels = 0;
    uint32_t samplesPerSec = 0;
    uint32_t avgBytesPerSec = 0;
    uint16_t blockAlign = 0;
    uint16_t bitsPerSample = 0;
    const uint8_t* data = nullptr;  // the "data" chunk's bytes, clamped to the image
    size_t dataSize = 0;
    // Playing time in milliseconds, rounded up.
    uint32_t DurationMs() const noexcept;
};

// Returns the facts of a RIFF WAVE image with a "fmt " chunk of at least 16
// bytes and a "data" chunk, or nothing for anything else. A data chunk whose
// size runs past the end of the image is clamped to the bytes present.
std::optional<WaveInfo> ParseWave(const uint8_t* image, size_t size) noexcept;

}  // namespace skr::platform
