#include "AllocationCounter.h"

#include <atomic>
#include <cerrno>
#include <cstddef>

namespace {
std::atomic<std::int64_t> allocations{0};
void count() { allocations.fetch_add(1, std::memory_order_relaxed); }
}  // namespace

// Sanitizer builds bring their own malloc, so nothing is wrapped there.
#if defined(__GLIBC__) && !defined(__SANITIZE_ADDRESS__)
extern "C" {
void* __libc_malloc(std::size_t);
void* __libc_calloc(std::size_t, std::size_t);
void* __libc_realloc(void*, std::size_t);
void* __libc_memalign(std::size_t, std::size_t);
void __libc_free(void*);

void* malloc(std::size_t size) {
    count();
    return __libc_malloc(size);
}
void* calloc(std::size_t n, std::size_t size) {
    count();
    return __libc_calloc(n, size);
}
void* realloc(void* p, std::size_t size) {
    count();
    return __libc_realloc(p, size);
}
void* aligned_alloc(std::size_t align, std::size_t size) {
    count();
    return __libc_memalign(align, size);
}
void* memalign(std::size_t align, std::size_t size) {
    count();
    return __libc_memalign(align, size);
}
int posix_memalign(void** out, std::size_t align, std::size_t size) {
    count();
    void* p = __libc_memalign(align, size);
    if (!p) return ENOMEM;
    *out = p;
    return 0;
}
void free(void* p) { __libc_free(p); }
}
constexpr bool kWrapped = true;
#else
constexpr bool kWrapped = false;
#endif

std::int64_t AllocationCounter::total() { return allocations.load(std::memory_order_relaxed); }

bool AllocationCounter::available() { return kWrapped; }
