#include "support/Files.h"

#include <fstream>
#include <stdexcept>
#include <utility>

namespace skr::test {

std::optional<std::vector<uint8_t>> TryReadFile(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    if (!in) return std::nullopt;
    constexpr size_t kChunk = 1 << 16;
    std::vector<uint8_t> bytes;
    size_t size = 0;
    while (in) {
        bytes.resize(size + kChunk);
        in.read(reinterpret_cast<char*>(bytes.data() + size), kChunk);
        size += static_cast<size_t>(in.gcount());
    }
    bytes.resize(size);
    // The end of the file stops the loop too; a failed read (a folder, an
    // error of the device) leaves the stream bad.
    if (in.bad()) return std::nullopt;
    return bytes;
}

std::vector<uint8_t> ReadFile(const std::string& path) {
    std::optional<std::vector<uint8_t>> bytes = TryReadFile(path);
    if (!bytes) throw std::runtime_error("cannot read " + path);
    return std::move(*bytes);
}

}  // namespace skr::test
