#pragma once

namespace garvo::paramId
{
inline constexpr const char* genre = "genre";
inline constexpr const char* seed = "seed";
inline constexpr const char* density = "density";
inline constexpr const char* swing = "swing";
inline constexpr const char* looseness = "looseness";
inline constexpr const char* bars = "bars";
inline constexpr const char* kit = "kit";
inline constexpr const char* outGain = "outGain";
inline constexpr const char* kitPitch = "kitPitch";
inline constexpr const char* audioOn = "audioOn";

// The parameters whose change makes a new pattern.
inline constexpr const char* generation[] = {genre, seed, density, swing, looseness, bars};
} // namespace garvo::paramId
