#pragma once

#include "rhythm/GenreDNA.h"
#include "rhythm/Vocabulary.h"

namespace garvo
{
struct GenerateOptions
{
    int seed = 1;         // 0 selects a fixed substitute stream
    float density = 0.6f; // 0 to 1: how much of the recipe's optional material to keep
    int bars = 1;         // below 1 acts as 1
    double tempo = 0.0;   // 0 or less: the recipe's tempo
    // Every step that survives the density test becomes a hit, without the chance test.
    bool deterministic = false;
};

// Turns a recipe into a grid-exact pattern; the same recipe, options and seed always give the
// same pattern, on every machine.
Pattern generate(const GenreDNA& dna, const GenerateOptions& options);
} // namespace garvo
