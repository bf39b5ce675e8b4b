#pragma once

#include "kit/Pad.h"
#include "rhythm/Vocabulary.h"

#include <juce_audio_basics/juce_audio_basics.h>
#include <juce_core/juce_core.h>

#include <array>
#include <atomic>
#include <memory>
#include <vector>

namespace garvo
{
inline constexpr int kNumVoices = 32;
inline constexpr int kNumVariations = 5;

using KitTable = std::array<std::array<PadPtr, kNumVariations>, kNumElements>;

// The 32-voice sample player. Every kit of the library is decoded in advance; the audio path
// (noteOnElement, render, allNotesOff) allocates nothing and takes no lock.
class DrumKit
{
public:
    struct Voice
    {
        bool active = false;
        float envelope = 1.0f;
        float decayPerSample = 1.0f;
        float velocityGain = 1.0f;
        int startSerial = 0;
        PadPtr pad;
        double position = 0.0;
        double increment = 1.0;
    };

    DrumKit() = default;
    DrumKit(const DrumKit&) = delete;
    DrumKit& operator=(const DrumKit&) = delete;

    int loadGenreDrumTree(const juce::File& root);
    void noteOnElement(Element element, int note, float velocity) noexcept;
    void render(juce::AudioBuffer<float>& buffer, int startSample, int numSamples) noexcept;
    int getElementVariationCount(Element element) const noexcept;
    void selectKitByName(const juce::String& kitName) noexcept;
    bool hasKits() const noexcept { return !kitNames.empty(); }
    void allNotesOff() noexcept;

    double sampleRate = 44100.0;
    std::array<Voice, kNumVoices> voices{};
    int noteCounter = 0;
    std::vector<KitTable> kits;
    std::vector<juce::String> kitNames;
    std::atomic<int> currentKit{0};
    std::array<std::atomic<int>, kNumElements> variations{};
    std::array<PadPtr, kNumElements> userPads{};
    float decayScale = 1.0f;
    float pitchSemitones = 0.0f;
};
} // namespace garvo
