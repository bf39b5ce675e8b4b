#pragma once

#include <juce_audio_basics/juce_audio_basics.h>
#include <memory>

namespace garvo
{
// One decoded sample: exactly one channel, at the rate it was recorded at. Immutable once built
// and shared through std::shared_ptr<const Pad>, so the audio thread can hold it while the
// message thread replaces it.
struct Pad
{
    juce::AudioBuffer<float> audio;
    double sampleRate = 48000.0;

    int length() const noexcept { return audio.getNumSamples(); }
};

using PadPtr = std::shared_ptr<const Pad>;
} // namespace garvo
