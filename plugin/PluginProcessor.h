#pragma once

#include "export/KitSnapshot.h"
#include "kit/DrumKit.h"
#include "plugin/HostTransport.h"
#include "rhythm/Pipeline.h"
#include "rhythm/Vocabulary.h"

#include <array>
#include <atomic>
#include <juce_audio_processors/juce_audio_processors.h>
#include <optional>
#include <vector>

class GarvoRhythmProcessor : public juce::AudioProcessor,
                             private juce::AudioProcessorValueTreeState::Listener,
                             private juce::AsyncUpdater
{
public:
    GarvoRhythmProcessor();
    ~GarvoRhythmProcessor() override;

    const juce::String getName() const override;
    void prepareToPlay(double newSampleRate, int maximumBlockSize) override;
    void releaseResources() override;
    void processBlock(juce::AudioBuffer<float>& buffer, juce::MidiBuffer& midi) override;
    using juce::AudioProcessor::processBlock;
    double getTailLengthSeconds() const override;
    bool acceptsMidi() const override;
    bool producesMidi() const override;
    bool isMidiEffect() const override;
    juce::AudioProcessorEditor* createEditor() override;
    bool hasEditor() const override;
    int getNumPrograms() override;
    int getCurrentProgram() override;
    void setCurrentProgram(int index) override;
    const juce::String getProgramName(int index) override;
    void changeProgramName(int index, const juce::String& newName) override;
    void getStateInformation(juce::MemoryBlock& destData) override;
    void setStateInformation(const void* data, int sizeInBytes) override;
    bool isBusesLayoutSupported(const BusesLayout& layout) const override;

    garvo::Pattern getCurrentPatternCopy() const;
    void regeneratePattern();
    // Hands a finished pattern to playback, the lane grid and the exports (under the pattern lock).
    void publishPattern(garvo::Pattern&& fresh);
    void setMorphPosition(float x, float y);
    bool togglePlaying();

    // Standard MIDI File bytes of the current pattern: every lane on its General MIDI note, or
    // one lane on note 60.
    std::vector<unsigned char> exportFullKitMidi() const;
    std::vector<unsigned char> exportElementMidi(garvo::Element element) const;
    // A read-only copy of what live playback sounds like (selected kit, variations, user samples,
    // kit character, pitch), so that audio exports match it without touching the live kit.
    garvo::KitSnapshot liveKitSnapshot() const;

    // Sets a parameter as a host or an attachment does, from its plain (denormalised) value.
    void setPlainParameterValue(const char* parameterId, float plainValue);
    // Sets the six generation parameters at once; choosing the genre ends morph mode as usual.
    void setGenerationParameters(const garvo::GenerationSettings& settings);

    // The generation values as the parameters hold them now, converted for the pattern pipeline.
    garvo::GenerationSettings currentGenerationSettings() const;
    garvo::MorphState currentMorphState() const;
    bool isMorphing() const noexcept { return morphActive.load(); }
    float getMorphX() const noexcept { return morphX; }
    float getMorphY() const noexcept { return morphY; }
    double getInternalPpq() const noexcept { return internalPpq.load(); }

    garvo::DrumKit& getKit() noexcept { return kit; }
    const garvo::DrumKit& getKit() const noexcept { return kit; }

    // Replaces an element's sound by the user's own audio file (message thread). A file that
    // cannot be used leaves the element's sound as it was.
    void loadUserSampleFile(garvo::Element element, const juce::File& file);

    juce::AudioProcessorValueTreeState apvts;
    std::atomic<bool> playing{false};
    std::array<std::atomic<bool>, garvo::kNumElements> muted{};

    static juce::AudioProcessorValueTreeState::ParameterLayout createParameterLayout();

private:
    void parameterChanged(const juce::String& parameterID, float newValue) override;
    void handleAsyncUpdate() override;
    float rawParameter(const char* id) const noexcept;
    // The kit settings of the "kit" and "kitPitch" parameters, shared by playback and exports.
    float currentDecayScale() const noexcept;
    float currentKitPitch() const noexcept;

    struct TransportWindowInfo
    {
        double startBeat; // where the block begins, in beats
        double tempo;     // beats per minute the block advances at
        bool ownTransport;
    };
    std::optional<TransportWindowInfo> findTransportWindow(int numSamples) noexcept;

    double sampleRate = 44100.0;
    std::atomic<bool> morphActive{false};
    float morphX = 0.5f;
    float morphY = 0.5f;
    std::atomic<double> internalPpq{0.0};
    // The published pattern's tempo, readable by the audio thread without the pattern lock.
    std::atomic<double> publishedTempo{120.0};
    mutable juce::SpinLock patternLock;
    garvo::Pattern pattern;
    garvo::DrumKit kit;
    // Follows the host transport between its reports; touched by the audio thread only.
    garvo::HostTransportFollower hostTransport;
    // The kit folder the last regeneration asked for; exports use it while no library is loaded.
    juce::String requestedKitFolder;
    juce::SmoothedValue<float, juce::ValueSmoothingTypes::Linear> outputGain{1.0f};

    JUCE_DECLARE_NON_COPYABLE_WITH_LEAK_DETECTOR(GarvoRhythmProcessor)
};
