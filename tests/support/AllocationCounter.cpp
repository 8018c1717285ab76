#include "support/AllocationCounter.h"

#include <atomic>
#include <cstdlib>
#include <new>

namespace {

thread_local bool counting = false;
std::atomic<long> counted{0};

void noteAllocation()
{
    if (counting)
        counted.fetch_add(1, std::memory_order_relaxed);
}

} // namespace

namespace slm::test {

long allocationsDuring(const std::function<void()>& work)
{
    const long before = counted.load();
    counting = true;
    work();
    counting = false;
    return counted.load() - before;
}

void countAllocationsOnThisThread(bool on)
{
    counting = on;
}

long countedAllocations()
{
    return counted.load();
}

void resetCountedAllocations()
{
    counted = 0;
}

} // namespace slm::test

#if !defined(__SANITIZE_ADDRESS__)
extern "C" {
void* __libc_malloc(std::size_t);
void* __libc_calloc(std::size_t, std::size_t);
void* __libc_realloc(void*, std::size_t);
void* __libc_memalign(std::size_t, std::size_t);

void* malloc(std::size_t size)
{
    noteAllocation();
    return __libc_malloc(size);
}
void* calloc(std::size_t count, std::size_t size)
{
    noteAllocation();
    return __libc_calloc(count, size);
}
void* realloc(void* p, std::size_t size)
{
    noteAllocation();
    return __libc_realloc(p, size);
}
void* memalign(std::size_t alignment, std::size_t size)
{
    noteAllocation();
    return __libc_memalign(alignment, size);
}
int posix_memalign(void** out, std::size_t alignment, std::size_t size)
{
    noteAllocation();
    *out = __libc_memalign(alignment, size);
    return *out ? 0 : 12; // ENOMEM
}
void* aligned_alloc(std::size_t alignment, std::size_t size)
{
    noteAllocation();
    return __libc_memalign(alignment, size);
}
}
#endif

namespace {

// Below the counting malloc, so that one new counts once.
void* uncounted(std::size_t size)
{
#if defined(__SANITIZE_ADDRESS__)
    return std::malloc(size ? size : 1);
#else
    return __libc_malloc(size ? size : 1);
#endif
}

} // namespace

void* operator new(std::size_t size)
{
    noteAllocation();
    if (void* p = uncounted(size))
        return p;
    throw std::bad_alloc();
}
void* operator new[](std::size_t size) { return operator new(size); }
void* operator new(std::size_t size, const std::nothrow_t&) noexcept
{
    noteAllocation();
    return uncounted(size);
}
void* operator new[](std::size_t size, const std::nothrow_t& tag) noexcept { return operator new(size, tag); }
void operator delete(void* p) noexcept { std::free(p); }
void operator delete[](void* p) noexcept { std::free(p); }
void operator delete(void* p, std::size_t) noexcept { std::free(p); }
void operator delete[](void* p, std::size_t) noexcept { std::free(p); }
