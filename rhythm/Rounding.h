#pragma once

namespace garvo
{
// Nearest integer with halves away from zero, in single precision. The constant just below one
// half keeps values like 0.49999997 from rounding up, and the result is part of every
// reproducible pattern, so it must not be replaced by std::lround (double, different ties).
constexpr int roundHalfAway(float value) noexcept
{
    return value >= 0.0f ? static_cast<int>(value + 0.49999997f) : static_cast<int>(value - 0.49999997f);
}
} // namespace garvo
