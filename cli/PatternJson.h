#pragma once

#include "rhythm/Vocabulary.h"

#include <string>

namespace garvo::cli
{
// A double in its shortest form that reads back to the same value, always with a decimal point
// or an exponent so that a reader sees a floating-point number ("140.0", "2.3229166666666665").
std::string formatDouble(double value);

// The whole pattern as one line of JSON (no trailing newline): genre, tempo, bars, seed, then the
// lanes in ascending element order with their hits in stored order.
std::string patternJson(const Pattern& pattern);
} // namespace garvo::cli
