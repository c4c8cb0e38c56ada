#pragma once

#include <cstdint>

// Counts every heap allocation of the program (malloc and its family, which operator new and
// Qt's containers use), so a benchmark can report allocations per iteration. Counting is
// always on; reading the count costs one relaxed load.
class AllocationCounter {
public:
    // Allocations since the program started.
    static std::int64_t total();
    // False where the C library's allocator cannot be wrapped (sanitizer builds, other C
    // libraries): total() then stays 0 and figures built on it mean nothing.
    static bool available();
};
