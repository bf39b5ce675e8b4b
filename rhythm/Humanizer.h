#pragma once

#include "rhythm/GenreDNA.h"
#include "rhythm/Vocabulary.h"

namespace garvo
{
struct HumanizeOptions
{
    float looseness = 0.4f; // 0 to 1: how far velocities and timings scatter
    float swing = 54.0f;    // percent, 50 = straight; negative: the recipe's own swing
    bool clapFlams = true;  // add one or two trailing strokes after every clap
};

// Makes a grid-exact pattern sound played, in place: swing, the closed hi-hat's accent curve,
// velocity and timing scatter, open hats choked by a following closed hat, clap strokes, and no
// two main hits of one lane and bar at the same velocity. `dna` is the recipe the pattern came
// from; it supplies ghost steps, swing flags and, for a negative swing option, the swing amount.
void humanize(Pattern& pattern, const GenreDNA& dna, const HumanizeOptions& options, unsigned int seed);
} // namespace garvo
