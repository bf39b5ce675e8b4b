#pragma once

#include "rhythm/GenreDNA.h"

#include <algorithm>
#include <sstream>
#include <string>

namespace garvo::test
{
// Writes an element's steps the way the recipe tables read: "A" accented always, "x" always,
// "g" a 0.6 ghost, "." silent, in groups of four. Anything else shows as "?" so a test fails.
inline std::string stepNotation(const ElementDNA& dna)
{
    const auto listed = [](const std::vector<int>& steps, int step)
    { return std::find(steps.begin(), steps.end(), step) != steps.end(); };
    std::string text;
    for (int step = 0; step < kStepsPerBar; ++step)
    {
        if (step > 0 && step % 4 == 0)
            text += ' ';
        const float probability = dna.steps[static_cast<size_t>(step)];
        const bool accented = listed(dna.accents, step);
        const bool ghosted = listed(dna.ghosts, step);
        if (probability == 1.0f && accented && !ghosted)
            text += 'A';
        else if (probability == 1.0f && !accented && !ghosted)
            text += 'x';
        else if (probability == 0.6f && ghosted && !accented)
            text += 'g';
        else if (probability == 0.0f && !accented && !ghosted)
            text += '.';
        else
            text += '?';
    }
    return text;
}

// One recipe row as the tables print it: steps, the three velocities and the swing flag.
inline std::string rowNotation(const ElementDNA& dna)
{
    std::ostringstream row;
    row << stepNotation(dna) << " | " << dna.velocity << " " << dna.accentVelocity << " " << dna.ghostVelocity
        << (dna.swung ? " swung" : "");
    return row.str();
}
} // namespace garvo::test
