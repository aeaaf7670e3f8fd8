// Whole files read at once, for the tests, the tools and the benchmarks.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace skr::test {

// A file's bytes, or nothing when it cannot be opened or read (one that does
// not exist yet, for a test that waits for it).
std::optional<std::vector<uint8_t>> TryReadFile(const std::string& path);

// A file's bytes; raises std::runtime_error "cannot read <path>" when it
// cannot be opened or read.
std::vector<uint8_t> ReadFile(const std::string& path);

}  // namespace skr::test
