#pragma once

#include <cstddef>

namespace garvo::test
{
// Counts heap allocations and frees made by the calling thread while a watch is active.
// The counting replaces malloc, free and friends for the whole test program.
struct AllocationCounts
{
    std::size_t allocations = 0;
    std::size_t frees = 0;
};

class ScopedAllocationWatch
{
public:
    ScopedAllocationWatch();
    ~ScopedAllocationWatch();
    ScopedAllocationWatch(const ScopedAllocationWatch&) = delete;
    ScopedAllocationWatch& operator=(const ScopedAllocationWatch&) = delete;

    AllocationCounts counts() const;
};
} // namespace garvo::test
