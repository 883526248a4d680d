#include "HeapCounter.h"

#include <atomic>
#include <cstdlib>
#include <malloc.h>
#include <new>

namespace {

std::atomic<qint64> live{0};

void *allocate(std::size_t n, std::size_t alignment = 0)
{
    n = n ? n : 1;
    void *p = alignment > alignof(std::max_align_t) ? std::aligned_alloc(alignment, (n + alignment - 1) / alignment * alignment)
                                                     : std::malloc(n);
    if (!p)
        throw std::bad_alloc();
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

} // namespace

qint64 HeapCounter::liveBytes()
{
    return live.load(std::memory_order_relaxed);
}

// The standard library's other forms (arrays, nothrow, sized) call these.
void *operator new(std::size_t n) { return allocate(n); }
void *operator new(std::size_t n, std::align_val_t a) { return allocate(n, std::size_t(a)); }
void operator delete(void *p) noexcept { release(p); }
void operator delete(void *p, std::size_t) noexcept { release(p); }
void operator delete(void *p, std::align_val_t) noexcept { release(p); }
