// Reads the facts of an in-memory RIFF WAVE image without trusting any of
// its sizes: everything found lies inside the given bytes.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <vector>

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

// The sample frames of a WAVE image as floats, planar: all of the first
// channel's frames, then the second's, and so on (the layout of a WebAudio
// buffer). Converts the layouts every voice of the program plays: PCM of
// 8 (unsigned), 16 or 32 bits and 32-bit float, with a block align of
// channels x bytes per sample. Integers map to [-1, 1); floats are clamped
// to [-1, 1], and one that is not a number is silence. Returns the number of
// whole frames, with `out` resized to frames x channels; 0 for any other
// layout, no whole frame, or more than `maxFrames` frames (`out` then
// unchanged).
size_t ToPlanarFloat(const WaveInfo& info, std::vector<float>& out, size_t maxFrames);

}  // namespace skr::platform
