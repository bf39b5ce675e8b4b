#pragma once

#include "kit/DrumKit.h"

#include <span>

namespace garvo
{
// One hit handed to the kit: where in the buffer its voice starts, and what it plays.
struct KitTrigger
{
    int sampleOffset = 0;
    Element element = Element::Kick;
    int note = 36;
    float velocity = 1.0f; // the hit's velocity / 127
};

// Renders samples 0 to numSamples - 1 of `buffer`, starting every trigger's voice at exactly its
// sample: the kit renders the run before a trigger, then the trigger's note-on, and so on.
// `sorted` must be ordered by sample offset. A trigger at or beyond the end cannot sound at its
// place, so it and every later one are left out. Used live and offline alike; allocates nothing.
void renderTriggered(DrumKit& kit, juce::AudioBuffer<float>& buffer, std::span<const KitTrigger> sorted,
                     int numSamples) noexcept;
} // namespace garvo
