#include "AllocationCounting.h"

#include <cstdlib>
#include <new>

namespace
{
thread_local bool counting = false;
thread_local long allocationCount = 0;
thread_local long freeCount = 0;
} // namespace

namespace garvo::test
{
ScopedAllocationCounter::ScopedAllocationCounter() noexcept
{
    allocationCount = 0;
    freeCount = 0;
    counting = true;
}

ScopedAllocationCounter::~ScopedAllocationCounter()
{
    counting = false;
}

long ScopedAllocationCounter::allocations() const noexcept
{
    return allocationCount;
}

long ScopedAllocationCounter::frees() const noexcept
{
    return freeCount;
}
} // namespace garvo::test

// The replaceable global operators: every other form (arrays, nothrow) goes through these.
void* operator new(std::size_t size)
{
    if (counting)
        ++allocationCount;
    if (auto* memory = std::malloc(size != 0 ? size : 1))
        return memory;
    throw std::bad_alloc();
}

void operator delete(void* memory) noexcept
{
    if (memory != nullptr && counting)
        ++freeCount;
    std::free(memory);
}

void operator delete(void* memory, std::size_t) noexcept
{
    operator delete(memory);
}
