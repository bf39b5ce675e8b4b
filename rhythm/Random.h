#pragma once

#include <cstdint>

namespace garvo
{
// The rhythm core's only source of randomness. Patterns must come out bit for bit the same on
// every machine, so this is a fixed 32-bit xorshift (shifts 13, 17, 5) rather than a library
// engine whose sequence is not pinned down.
class Xorshift32
{
public:
    // A zero state would stay zero for ever: callers substitute a non-zero state before this.
    constexpr explicit Xorshift32(std::uint32_t initialState) noexcept : state(initialState) {}

    constexpr std::uint32_t next() noexcept
    {
        state ^= state << 13;
        state ^= state >> 17;
        state ^= state << 5;
        return state;
    }

    // A 24-bit fraction in [0, 1), exact in single precision; the largest value is 1 - 2^-24.
    static constexpr float toUnit(std::uint32_t value) noexcept
    {
        return static_cast<float>(value >> 8) * (1.0f / 16777216.0f);
    }

    constexpr float nextUnit() noexcept { return toUnit(next()); }

    // In [-1, 1), formed exactly as (r + r) + (-1) in single precision.
    constexpr float nextSymmetric() noexcept
    {
        const float r = nextUnit();
        return (r + r) + -1.0f;
    }

    constexpr std::uint32_t current() const noexcept { return state; }

private:
    std::uint32_t state;
};
} // namespace garvo
