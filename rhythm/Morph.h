#pragma once

#include "rhythm/GenreDNA.h"
#include "rhythm/Vocabulary.h"

#include <array>

namespace garvo
{
// The morph pad's corners in corner order: top left, top right, bottom left, bottom right.
inline constexpr std::array<const char*, 4> kMorphCorners{"Amapiano", "UK Garage", "Baile Funk", "Dubstep"};

struct MorphResult
{
    Pattern pattern; // generated from the blend, not yet humanized
    GenreDNA dna;    // the blended recipe
    std::array<float, 4> weights{};
    int dominant = 0; // corner with the largest weight; ties go to the lower index
};

// Blends the four corner recipes by their bilinear weights at (x, y) and generates from the
// blend, with every step that passes the density test sounding. Seed and bars go to the
// generator unchanged.
MorphResult morphGenres(const GenreDNA& corner0, const GenreDNA& corner1, const GenreDNA& corner2,
                        const GenreDNA& corner3, float x, float y, int seed, float density, int bars);
} // namespace garvo
