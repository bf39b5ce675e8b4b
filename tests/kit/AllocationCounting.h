#pragma once

namespace garvo::test
{
// Counts heap allocations and frees made by the current thread while an instance lives, so a
// test can show that an audio-thread call neither allocates nor frees memory.
class ScopedAllocationCounter
{
public:
    ScopedAllocationCounter() noexcept;
    ~ScopedAllocationCounter();
    ScopedAllocationCounter(const ScopedAllocationCounter&) = delete;
    ScopedAllocationCounter& operator=(const ScopedAllocationCounter&) = delete;

    long allocations() const noexcept;
    long frees() const noexcept;
};
} // namespace garvo::test
