#pragma once

#include "export/KitSnapshot.h"
#include "kit/DrumKit.h"
#include "rhythm/Vocabulary.h"

#include <juce_audio_basics/juce_audio_basics.h>
#include <set>
#include <vector>

namespace garvo
{
inline constexpr double kRenderSampleRate = 44100.0;
// One second after the pattern's end, so that ringing sounds are not cut.
inline constexpr int kRenderTailSamples = 44100;

struct RenderLength
{
    double samplesPerStep = 0.0; // a sixteenth at the pattern's tempo (at least 1 BPM)
    int patternSamples = 0;      // the pattern's exact length, truncated
    int totalSamples = 1;        // pattern plus tail: the length of every render of the pattern
};

RenderLength renderLengthFor(const Pattern& pattern) noexcept;

// Builds the private kit of one render: loads the kit that plays afresh and applies the snapshot.
// Returns the number of pads loaded.
int prepareRenderKit(DrumKit& kit, const Pattern& pattern, const KitSnapshot& snapshot);

// Plays the pattern through a kit that is already prepared, into `buffer` (resized to two
// channels of the render length). Only lanes in `laneFilter` sound when it is given.
void renderPatternWithKit(const Pattern& pattern, DrumKit& kit, juce::AudioBuffer<float>& buffer,
                          const std::set<Element>* laneFilter);

// Renders the pattern offline at 44.1 kHz through a private kit built from `snapshot`.
void renderPatternToBuffer(const Pattern& pattern, juce::AudioBuffer<float>& buffer,
                           const std::set<Element>* laneFilter, const KitSnapshot& snapshot = {});

// The buffer as a 24-bit PCM WAV file (44.1 kHz unless told otherwise); empty when no WAV writer
// could be made.
std::vector<unsigned char> bufferToWavBytes(const juce::AudioBuffer<float>& buffer,
                                            double sampleRate = kRenderSampleRate);

// One lane rendered alone, as WAV bytes of the full render length.
std::vector<unsigned char> renderElementWav(const Pattern& pattern, Element element, const KitSnapshot& snapshot = {});
} // namespace garvo
