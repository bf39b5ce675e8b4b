#include "AllocationCounter.h"

#include <cstdlib>
#include <new>

// glibc's own allocator entry points, which the replacements below forward to.
extern "C" void* __libc_malloc(std::size_t);
extern "C" void* __libc_calloc(std::size_t, std::size_t);
extern "C" void* __libc_realloc(void*, std::size_t);
extern "C" void* __libc_memalign(std::size_t, std::size_t);
extern "C" void __libc_free(void*);

namespace
{
thread_local bool watching = false;
thread_local garvo::test::AllocationCounts threadCounts;

void noteAllocation() noexcept
{
    if (watching)
        ++threadCounts.allocations;
}

void noteFree(void* pointer) noexcept
{
    if (watching && pointer != nullptr)
        ++threadCounts.frees;
}
} // namespace

// Everything, including operator new and JUCE's HeapBlock, ends up in these four.
extern "C" void* malloc(std::size_t size)
{
    noteAllocation();
    return __libc_malloc(size);
}

extern "C" void* calloc(std::size_t count, std::size_t size)
{
    noteAllocation();
    return __libc_calloc(count, size);
}

extern "C" void* realloc(void* pointer, std::size_t size)
{
    noteAllocation();
    return __libc_realloc(pointer, size);
}

extern "C" void free(void* pointer)
{
    noteFree(pointer);
    __libc_free(pointer);
}

extern "C" int posix_memalign(void** result, std::size_t alignment, std::size_t size)
{
    noteAllocation();
    *result = __libc_memalign(alignment, size);
    return *result != nullptr ? 0 : 12;
}

extern "C" void* aligned_alloc(std::size_t alignment, std::size_t size)
{
    noteAllocation();
    return __libc_memalign(alignment, size);
}

namespace garvo::test
{
ScopedAllocationWatch::ScopedAllocationWatch()
{
    threadCounts = {};
    watching = true;
}

ScopedAllocationWatch::~ScopedAllocationWatch()
{
    watching = false;
}

AllocationCounts ScopedAllocationWatch::counts() const
{
    return threadCounts;
}
} // namespace garvo::test
