#include "HeapCounter.h"

#include <atomic>
#include <cstdlib>
#include <malloc.h>
#include <new>

namespace {

std::atomic<qint64> live{0};

void *allocate(std::size_t n, std::size_t alignment = 0) noexcept
{
    n = n ? n : 1;
    void *p = alignment > alignof(std::max_align_t) ? std::aligned_alloc(alignment, (n + alignment - 1) / alignment * alignment)
                                                     : std::malloc(n);
    if (p)
        live.fetch_add(qint64(malloc_usable_size(p)), std::memory_order_relaxed);
    return p;
}

void release(void *p) noexcept
{
    if (!p)
        return;
    live.fetch_sub(qint64(malloc_usable_size(p)), std::memory_order_relaxed);
    std::free(p);
}

void *allocateOrThrow(std::size_t n, std::size_t alignment = 0)
{
    if (void *p = allocate(n, alignment))
        return p;
    throw std::bad_alloc();
}

} // namespace

qint64 HeapCounter::liveBytes()
{
    return live.load(std::memory_order_relaxed);
}

void *operator new(std::size_t n) { return allocateOrThrow(n); }
void *operator new[](std::size_t n) { return allocateOrThrow(n); }
void *operator new(std::size_t n, const std::nothrow_t &) noexcept { return allocate(n); }
void *operator new[](std::size_t n, const std::nothrow_t &) noexcept { return allocate(n); }
void *operator new(std::size_t n, std::align_val_t a) { return allocateOrThrow(n, std::size_t(a)); }
void *operator new[](std::size_t n, std::align_val_t a) { return allocateOrThrow(n, std::size_t(a)); }
void *operator new(std::size_t n, std::align_val_t a, const std::nothrow_t &) noexcept { return allocate(n, std::size_t(a)); }
void *operator new[](std::size_t n, std::align_val_t a, const std::nothrow_t &) noexcept { return allocate(n, std::size_t(a)); }

void operator delete(void *p) noexcept { release(p); }
void operator delete[](void *p) noexcept { release(p); }
void operator delete(void *p, std::size_t) noexcept { release(p); }
void operator delete[](void *p, std::size_t) noexcept { release(p); }
void operator delete(void *p, const std::nothrow_t &) noexcept { release(p); }
void operator delete[](void *p, const std::nothrow_t &) noexcept { release(p); }
void operator delete(void *p, std::align_val_t) noexcept { release(p); }
void operator delete[](void *p, std::align_val_t) noexcept { release(p); }
void operator delete(void *p, std::size_t, std::align_val_t) noexcept { release(p); }
void operator delete[](void *p, std::size_t, std::align_val_t) noexcept { release(p); }
void operator delete(void *p, std::align_val_t, const std::nothrow_t &) noexcept { release(p); }
void operator delete[](void *p, std::align_val_t, const std::nothrow_t &) noexcept { release(p); }
