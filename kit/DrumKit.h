#pragma once

#include "kit/Pad.h"
#include "rhythm/Vocabulary.h"

#include <array>
#include <atomic>
#include <juce_audio_basics/juce_audio_basics.h>
#include <juce_audio_formats/juce_audio_formats.h>
#include <juce_core/juce_core.h>
#include <memory>
#include <vector>

namespace garvo
{
inline constexpr int kNumVoices = 32;
inline constexpr int kNumVariations = 5;

using KitTable = std::array<std::array<PadPtr, kNumVariations>, kNumElements>;

// The 32-voice sample player. Every kit of the library is decoded in advance; the audio path
// (noteOnElement, render, allNotesOff) allocates nothing, frees nothing and takes no lock apart
// from the one inside the atomic load of a user pad.
class DrumKit
{
public:
    struct Voice
    {
        bool active = false;
        float envelope = 1.0f;
        float decayPerSample = 1.0f;
        // decayPerSample raised to the mix block length: tells at a glance whether a voice can
        // fall silent within the next block.
        double decayPerMixBlock = 1.0;
        float velocityGain = 1.0f;
        int startSerial = 0;
        PadPtr pad;
        double position = 0.0;
        double increment = 1.0;
    };

    DrumKit() = default;
    DrumKit(const DrumKit&) = delete;
    DrumKit& operator=(const DrumKit&) = delete;

    // Replaces the whole library with the kits found below root; returns the number of pads
    // loaded. Must not run while an audio thread plays this kit.
    int loadGenreDrumTree(const juce::File& root);
    // Loads only the kit that a full load followed by selectKitByName(kitName) would play, which
    // is all an offline render needs; returns the pads loaded. Replaces the library content as
    // loadGenreDrumTree does.
    int loadSelectedKit(const juce::File& root, const juce::String& kitName);

    // Audio thread.
    void noteOnElement(Element element, int note, float velocity) noexcept;
    void render(juce::AudioBuffer<float>& buffer, int startSample, int numSamples) noexcept;
    void allNotesOff() noexcept;

    // Message thread.
    int getElementVariationCount(Element element) const noexcept;
    void selectKitByName(const juce::String& kitName) noexcept;
    bool hasKits() const noexcept { return !kitNames.empty(); }

    // Installs a user sample for an element (message thread). The replaced pad is kept here
    // until no voice can hold it any more, so the audio thread never drops its last reference.
    void setUserPad(Element element, PadPtr pad);
    PadPtr getUserPad(Element element) const noexcept;
    // Frees the replaced user pads that only this kit still holds (message thread).
    void releaseRetiredUserPads();
    std::size_t retiredUserPadCount() const noexcept { return retiredUserPads.size(); }

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

private:
    PadPtr findPad(Element element) const noexcept;
    // Empties the library before a load; returns whether `root` is a folder to load from.
    bool clearLibraryFor(const juce::File& root);
    // Decodes one kit folder and appends it when it holds at least one sound; returns its pads.
    int addKit(juce::AudioFormatManager& formats, const juce::File& kitFolder);
    Voice& chooseVoice() noexcept;
    static void renderVoice(Voice& voice, float* mix, int numSamples) noexcept;

    std::vector<PadPtr> retiredUserPads;
};
} // namespace garvo
