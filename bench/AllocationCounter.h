// Counts every allocation of a benchmark program, so a benchmark can report
// allocations per operation. It replaces the global operator new and delete:
// include it in exactly one translation unit of the program.
#pragma once

#include <atomic>
#include <cstdint>
#include <cstdlib>
#include <new>

namespace skr::bench {

inline std::atomic<uint64_t> allocationCount{0};

// The number of allocations made so far.
inline uint64_t Allocations() { return allocationCount.load(); }

}  // namespace skr::bench

// GCC takes the malloc/free pairs below for a mismatch with operator new;
// they are not one.
#if defined(__GNUC__) && !defined(__clang__)
#pragma GCC diagnostic ignored "-Wmismatched-new-delete"
#endif

void* operator new(std::size_t n) {
    skr::bench::allocationCount.fetch_add(1, std::memory_order_relaxed);
    if (void* p = std::malloc(n ? n : 1)) return p;
    throw std::bad_alloc();
}
void operator delete(void* p) noexcept { std::free(p); }
void operator delete(void* p, std::size_t) noexcept { std::free(p); }
