// RIFF WAVE images built in memory for the tests and benchmarks: a 16-byte
// "fmt " chunk, an optional "fact" chunk and a "data" chunk holding the
// given sample bytes. Without "fact" the "fmt " chunk starts at offset 12
// (its length field at 16) and "data" at 36 (length at 40, samples from 44).
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

#include "LittleEndian.h"

namespace skr::test {

struct WaveFormat {
    uint16_t formatTag = 1, channels = 1;
    uint32_t rate = 22050;
    uint16_t bits = 16;
    bool fact = false;  // a "fact" chunk (the frame count) between "fmt " and "data"
};

// A WAVE image of the given sample bytes; block align and bytes per second
// follow from the format.
inline std::vector<uint8_t> WaveImage(const std::vector<uint8_t>& samples, const WaveFormat& f = {}) {
    const uint16_t align = static_cast<uint16_t>(f.channels * f.bits / 8);
    std::vector<uint8_t> v{'R', 'I', 'F', 'F'};
    Put32(v, 0);  // the RIFF size, set at the end
    v.insert(v.end(), {'W', 'A', 'V', 'E', 'f', 'm', 't', ' '});
    Put32(v, 16);
    Put16(v, f.formatTag);
    Put16(v, f.channels);
    Put32(v, f.rate);
    Put32(v, f.rate * align);
    Put16(v, align);
    Put16(v, f.bits);
    if (f.fact) {
        v.insert(v.end(), {'f', 'a', 'c', 't'});
        Put32(v, 4);
        Put32(v, static_cast<uint32_t>(align ? samples.size() / align : 0));
    }
    v.insert(v.end(), {'d', 'a', 't', 'a'});
    Put32(v, static_cast<uint32_t>(samples.size()));
    v.insert(v.end(), samples.begin(), samples.end());
    Put32At(v, 4, static_cast<uint32_t>(v.size() - 8));
    return v;
}

// 16-bit samples as little-endian bytes.
inline std::vector<uint8_t> Pcm16(const std::vector<int16_t>& s) {
    std::vector<uint8_t> v;
    v.reserve(2 * s.size());
    for (int16_t x : s) Put16(v, static_cast<uint16_t>(x));
    return v;
}

}  // namespace skr::test
